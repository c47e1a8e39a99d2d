#include "rigconfig.h"

#include <QtTest>

class TestRigConfig : public QObject
{
    Q_OBJECT

private slots:
    void faultSettings_data();
    void faultSettings();
    void rigFile_data();
    void rigFile();
    void defaultRig();
};

void TestRigConfig::faultSettings_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");

    QTest::newRow("delay and chunked") << "none"
                                       << "delay=200,chunked" << true << "delay=200,chunked=16";
    QTest::newRow("blank-separated, all kinds")
        << "none"
        << "fail=eParamID_B fail=eParamID_A drop=3 close stall standard oversize chunked=5000" << true
        << "chunked=5000,close,drop=3,fail=eParamID_A,fail=eParamID_B,stall,oversize=5000,standard";
    QTest::newRow("one turned off") << "close,stall,fail=eParamID_A,fail=eParamID_B"
                                    << "no-stall no-fail=eParamID_A" << true << "close,fail=eParamID_B";
    QTest::newRow("zero turns off") << "chunked,drop=2"
                                    << "chunked=0,drop=0" << true << "none";
    QTest::newRow("bad number keeps all") << "close"
                                          << "delay=10,drop=x" << false << "close";
    QTest::newRow("unknown") << "none"
                             << "explode" << false << "none";
}

void TestRigConfig::faultSettings()
{
    QFETCH(QString, before);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, after);

    FaultSettings faults;
    QString error;
    QVERIFY(faults.apply(before, &error));
    QCOMPARE(faults.apply(text, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    QCOMPARE(faults.describe(), after);
    // The description reads back as the same settings.
    FaultSettings again;
    QVERIFY(again.apply(faults.describe(), &error));
    QVERIFY(again == faults);
}

void TestRigConfig::rigFile_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("result");

    QTest::newRow("units with defaults, other service by default")
        << QByteArray(R"({"units": [{"mode": 2, "faults": "close"}, {"host": "b", "version": 16909060}]})")
        << "prismo-1 127.0.0.11 2 close|b 127.0.0.12 1 none|Recorder";
    QTest::newRow("every unit setting")
        << QByteArray(R"({"units": [{"name": "Grade", "host": "g", "address": "127.0.0.42", "mode": 1,
                                     "version": "1.2.3.4", "product": "KVEZ"}]})")
        << "g 127.0.0.42 1 none|Recorder";
    QTest::newRow("no other services") << QByteArray(R"({"units": [{}], "otherServices": []})")
                                       << "prismo-1 127.0.0.11 1 none";
    QTest::newRow("not JSON") << QByteArray("units: 1") << "error";
    QTest::newRow("unknown member") << QByteArray(R"({"unit": [{}]})") << "error";
    QTest::newRow("no units") << QByteArray(R"({"units": []})") << "error";
    QTest::newRow("version field beyond 255") << QByteArray(R"({"units": [{"version": "1.256.0.0"}]})") << "error";
    QTest::newRow("address not IPv4") << QByteArray(R"({"units": [{"address": "localhost"}]})") << "error";
    QTest::newRow("mode 3") << QByteArray(R"({"units": [{"mode": 3}]})") << "error";
    QTest::newRow("quote in a name") << QByteArray(R"({"units": [{"name": "Grade \"A\""}]})") << "error";
    QTest::newRow("bad faults") << QByteArray(R"({"units": [{"faults": "delay=x"}]})") << "error";
    QTest::newRow("same address twice") << QByteArray(
                                               R"({"units": [{"address": "127.0.0.9"}, {"address": "127.0.0.9"}]})")
                                        << "error";
    QTest::newRow("other service with bracket")
        << QByteArray(R"({"units": [{}], "otherServices": [{"kind": "X", "host": "[x]", "address": "1.2.3.4"}]})")
        << "error";
    QByteArray many = R"({"units": [{})";
    for (int i = 2; i <= 60; ++i)
        many += ", {}";
    QTest::newRow("list beyond 4096 bytes") << many + "]}"
                                            << "error";
}

void TestRigConfig::rigFile()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, result);

    RigConfig rig;
    QString error;
    const bool ok = RigConfig::fromJson(json, rig, &error);
    QCOMPARE(ok, result != QLatin1String("error"));
    QCOMPARE(error.isEmpty(), ok);
    if (!ok)
        return;
    QStringList summary;
    for (const UnitConfig &unit : qAsConst(rig.units))
        summary << QStringLiteral("%1 %2 %3 %4")
                       .arg(unit.hostName, unit.address)
                       .arg(unit.channelMode)
                       .arg(unit.faults.describe());
    for (const ServiceEntry &other : qAsConst(rig.otherServices))
        summary << other.deviceName;
    QCOMPARE(summary.join('|'), result);
}

void TestRigConfig::defaultRig()
{
    const RigConfig rig = RigConfig::defaultRig();
    QString error;
    QVERIFY2(rig.validate(&error), qPrintable(error));
    QCOMPARE(rig.units.size(), 3);
    QCOMPARE(rig.units.at(0).address, QString("127.0.0.11"));
    QCOMPARE(rig.units.at(2).channelMode, 2);
    const QVector<ServiceEntry> services = rig.services();
    QCOMPARE(services.size(), 4);
    QCOMPARE(services.at(2).hostName, rig.units.at(2).hostName);
    QVERIFY(services.at(3).deviceName != QLatin1String("Prismo"));

    QCOMPARE(rig.unitIndex("2"), 1);
    QCOMPARE(rig.unitIndex("127.0.0.13"), 2);
    QCOMPARE(rig.unitIndex(rig.units.at(0).hostName), 0);
    QCOMPARE(rig.unitIndex("0"), -1);
    QCOMPARE(rig.unitIndex("4"), -1);
    QCOMPARE(rig.unitIndex("recorder-1"), -1);
}

QTEST_GUILESS_MAIN(TestRigConfig)
#include "tst_rigconfig.moc"
