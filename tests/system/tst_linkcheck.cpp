#include "linkcheck.h"
#include "linklogcapture.h"
#include "simulatorrig.h"

#include <QtTest>

#include <sstream>

using Check = bool (LinkCheck::*)(const std::string &);
Q_DECLARE_METATYPE(Check)

// The link check program's checks against simulated units that behave, and
// against units that misbehave in the way each check must catch.
class TestLinkCheck : public QObject
{
    Q_OBJECT

private slots:
    void checksAgainstUnits_data();
    void checksAgainstUnits();
    void versionRecord();
};

void TestLinkCheck::checksAgainstUnits_data()
{
    QTest::addColumn<Check>("check");
    QTest::addColumn<int>("unit"); // the second unit is another product
    QTest::addColumn<QString>("faults");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<QString>("line");

    QTest::newRow("identify a Prismo") << &LinkCheck::identify << 0 << "none" << true
                                       << R"(identify 127.0.0.11: product KVEL, name "Prismo 1", version 1.4.2.7)";
    QTest::newRow("identify another product") << &LinkCheck::identify << 1 << "none" << false
                                              << R"(identify 127.0.0.12: product "KVEZ", expected KVEL)";

    const QString set = QStringLiteral("set and read back eParamID_Vid1ColorHDRSaturation at 127.0.0.11: ");
    QTest::newRow("set at a Prismo") << &LinkCheck::setAndReadBack << 0 << "none" << true
                                     << set + "1000 -> 1234, read back 1234, put back 1000, one kept-alive connection";
    QTest::newRow("set where every reply closes") << &LinkCheck::setAndReadBack << 0 << "close" << false
                                                  << set + "values right, but the connection was not kept alive";

    const QString reconnect = QStringLiteral("reconnect after Connection: close at 127.0.0.11: ");
    QTest::newRow("reconnect at a closing unit")
        << &LinkCheck::reconnectAfterClose << 0 << "close" << true
        << reconnect + "closed after the first reply, second request answered KVEL on a new connection";
    QTest::newRow("reconnect at a unit that keeps the connection")
        << &LinkCheck::reconnectAfterClose << 0 << "none" << false
        << reconnect + "the connection stayed open after the first reply";

    const QString stall = QStringLiteral("give up on stalled unit 127.0.0.11: ");
    QTest::newRow("stalled unit") << &LinkCheck::giveUpOnStall << 0 << "stall" << true << stall + "request failed after";
    QTest::newRow("slow unit that answers in time")
        << &LinkCheck::giveUpOnStall << 0 << "delay=300" << false << stall + R"(it answered "KVEL")";
}

void TestLinkCheck::checksAgainstUnits()
{
    QFETCH(Check, check);
    QFETCH(int, unit);
    QFETCH(QString, faults);
    QFETCH(bool, passes);
    QFETCH(QString, line);

    RigConfig config;
    config.units = {UnitConfig::numbered(1), UnitConfig::numbered(2)};
    config.units[1].productId = "KVEZ";
    SimulatorRig rig(config);
    QString error;
    QVERIFY2(rig.start(0, &error), qPrintable(error));
    FaultSettings settings;
    QVERIFY(settings.apply(faults, nullptr));
    rig.setFaults(unit, settings);
    const std::optional<QByteArray> before = rig.parameter(unit, LinkCheck::ProbeParameter);

    std::ostringstream out;
    LinkCheck linkCheck(rig.port(), out);
    {
        const LinkLogCapture linkDiagnostics;
        QCOMPARE((linkCheck.*check)(rig.config().units[unit].address.toStdString()), passes);
    }
    QCOMPARE(linkCheck.failed(), passes ? 0 : 1);
    const QString printed = QString::fromStdString(out.str());
    QVERIFY2(printed.startsWith((passes ? QStringLiteral("ok   ") : QStringLiteral("FAIL ")) + line), qPrintable(printed));
    // Whatever the outcome, the check leaves the unit's value as it found it.
    QCOMPARE(rig.parameter(unit, LinkCheck::ProbeParameter), before);
}

// The version resource must carry both words of the version expected.
void TestLinkCheck::versionRecord()
{
    std::ostringstream out;
    LinkCheck linkCheck(1, out);
    QVERIFY(linkCheck.versionRecord(true, 0x00010003u, 0x00020006u, 0x00010003u, 0x00020006u));
    QVERIFY(!linkCheck.versionRecord(true, 0x00010003u, 0x00020007u, 0x00010003u, 0x00020006u));
    QVERIFY(!linkCheck.versionRecord(false, 0, 0, 0x00010003u, 0x00020006u));
    QCOMPARE(QString::fromStdString(out.str()), "ok   version resource: file version 1.3.2.6\n"
                                                "FAIL version resource: file version 1.3.2.7, expected 1.3.2.6\n"
                                                "FAIL version resource: no fixed file-version record\n");
}

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
