#include "rigconfig.h"

#include <QtTest>

// The simulator's fault settings and rig file: what a rig is told is what it does.
class TestRigConfig : public QObject
{
    Q_OBJECT

private slots:
    void faultSettings_data();
    void faultSettings();
    void rigFile_data();
    void rigFile();
};

void TestRigConfig::faultSettings_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");

    QTest::newRow("blank-separated, all kinds")
        << "none"
        << "fail=eParamID_B fail=eParamID_A drop=3 close stall standard oversize chunked=5000" << true
        << "chunked=5000,close,drop=3,fail=eParamID_A,fail=eParamID_B,stall,oversize=5000,standard";
    QTest::newRow("one turned off") << "close,stall,fail=eParamID_A,fail=eParamID_B"
                                    << "no-stall no-fail=eParamID_A" << true << "close,fail=eParamID_B";
    QTest::newRow("bad number keeps all") << "close"
                                          << "delay=10,drop=x" << false << "close";
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
    QTest::newRow("no other services") << QByteArray(R"({"units": [{}], "otherServices": []})")
                                       << "prismo-1 127.0.0.11 1 none";
    // A name the units' JSON reply cannot carry would corrupt discovery.
    QTest::newRow("quote in a name") << QByteArray(R"({"units": [{"name": "Grade \"A\""}]})") << "error";
    QTest::newRow("same address twice") << QByteArray(
                                               R"({"units": [{"address": "127.0.0.9"}, {"address": "127.0.0.9"}]})")
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

QTEST_GUILESS_MAIN(TestRigConfig)
#include "tst_rigconfig.moc"
