#include "rigconfig.h"

#include <QtTest>

class TestRigConfig : public QObject
{
    Q_OBJECT

private slots:
    void faultSettings_data();
    void faultSettings();
    void unitSettings_data();
    void unitSettings();
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

    QTest::newRow("delay and chunked") << "none" << "delay=200,chunked" << true << "delay=200,chunked=16";
    QTest::newRow("blank-separated, all kinds")
        << "none" << "fail=eParamID_B fail=eParamID_A drop=3 close stall standard oversize chunked=5000" << true
        << "chunked=5000,close,drop=3,fail=eParamID_A,fail=eParamID_B,stall,oversize=5000,standard";
    QTest::newRow("added to those in force") << "close" << "delay=10" << true << "delay=10,close";
    QTest::newRow("one turned off") << "close,stall,fail=eParamID_A,fail=eParamID_B" << "no-stall no-fail=eParamID_A"
                                    << true << "close,fail=eParamID_B";
    QTest::newRow("zero turns off") << "chunked,drop=2" << "chunked=0,drop=0" << true << "none";
    QTest::newRow("none") << "delay=5,close" << "none" << true << "none";
    QTest::newRow("bad number keeps all") << "close" << "delay=10,drop=x" << false << "close";
    QTest::newRow("negative delay") << "none" << "delay=-1" << false << "none";
    QTest::newRow("delay without value") << "none" << "delay" << false << "none";
    QTest::newRow("unknown") << "none" << "explode" << false << "none";
    QTest::newRow("empty") << "none" << " , " << false << "none";
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

void TestRigConfig::unitSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("summary");

    QTest::newRow("defaults of unit 4") << "" << true << "Prismo 4|prismo-4|127.0.0.14|1|1.4.2.7|KVEL";
    QTest::newRow("all given") << "name=Grade Two, host=grade-2,address=127.0.0.42,mode=2,version=1.2.3.4,product=KVEZ"
                               << true << "Grade Two|grade-2|127.0.0.42|2|1.2.3.4|KVEZ";
    QTest::newRow("packed version") << "version=16909060" << true << "Prismo 4|prismo-4|127.0.0.14|1|1.2.3.4|KVEL";
    QTest::newRow("host name as address") << "address=localhost" << false << "";
    QTest::newRow("three-part version") << "version=1.2.3" << false << "";
    QTest::newRow("version field too big") << "version=1.256.0.0" << false << "";
    QTest::newRow("mode not a number") << "mode=uhd" << false << "";
    QTest::newRow("mode 3") << "mode=3" << false << "";
    QTest::newRow("quote in name") << "name=Grade \"A\"" << false << "";
    QTest::newRow("unknown key") << "colour=red" << false << "";
    QTest::newRow("no value") << "name" << false << "";
}

void TestRigConfig::unitSettings()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, summary);

    UnitConfig unit = UnitConfig::numbered(4);
    QString error;
    QCOMPARE(unit.applyText(text, &error) && unit.validate(&error), ok);
    QCOMPARE(error.isEmpty(), ok);
    if (ok)
        QCOMPARE(QStringList({unit.systemName, unit.hostName, unit.address, QString::number(unit.channelMode),
                              UnitConfig::versionText(unit.softwareVersion), QString::fromUtf8(unit.productId)})
                     .join('|'),
                 summary);
}

void TestRigConfig::rigFile_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("result");

    QTest::newRow("units with defaults, other service by default")
        << QByteArray(R"({"units": [{"mode": 2, "faults": "close"}, {"host": "b", "version": 16909060}]})")
        << "prismo-1 127.0.0.11 2 close|b 127.0.0.12 1 none|Recorder";
    QTest::newRow("own other services")
        << QByteArray(R"({"units": [{}], "otherServices": [{"kind": "Router", "host": "r", "address": "10.0.0.1"}]})")
        << "prismo-1 127.0.0.11 1 none|Router";
    QTest::newRow("no other services") << QByteArray(R"({"units": [{}], "otherServices": []})")
                                       << "prismo-1 127.0.0.11 1 none";
    QTest::newRow("not JSON") << QByteArray("units: 1") << "error";
    QTest::newRow("unknown member") << QByteArray(R"({"unit": [{}]})") << "error";
    QTest::newRow("no units") << QByteArray(R"({"units": []})") << "error";
    QTest::newRow("unit not an object") << QByteArray(R"({"units": [1]})") << "error";
    QTest::newRow("bad faults") << QByteArray(R"({"units": [{"faults": "delay=x"}]})") << "error";
    QTest::newRow("fractional version") << QByteArray(R"({"units": [{"version": 1.5}]})") << "error";
    QTest::newRow("same address twice")
        << QByteArray(R"({"units": [{"address": "127.0.0.9"}, {"address": "127.0.0.9"}]})") << "error";
    QTest::newRow("other service with bracket")
        << QByteArray(R"({"units": [{}], "otherServices": [{"kind": "X", "host": "[x]", "address": "1.2.3.4"}]})")
        << "error";
    QByteArray many = R"({"units": [{})";
    for (int i = 2; i <= 60; ++i)
        many += ", {}";
    QTest::newRow("list beyond 4096 bytes") << many + "]}" << "error";
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
        summary << QStringLiteral("%1 %2 %3 %4").arg(unit.hostName, unit.address).arg(unit.channelMode).arg(unit.faults.describe());
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
