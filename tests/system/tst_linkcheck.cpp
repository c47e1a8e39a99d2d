#include "linkcheck.h"
#include "linklogcapture.h"
#include "simulatorrig.h"

#include <QtTest>

#include <sstream>

// The link check program's checks against simulated units that behave, and
// against units that misbehave in the way each check must catch.
class TestLinkCheck : public QObject
{
    Q_OBJECT

private slots:
    void checksAgainstUnits_data();
    void checksAgainstUnits();
    void versionRecord_data();
    void versionRecord();
};

namespace {
enum Check { Identify, SetAndReadBack, Reconnect, Stall };
const QByteArray probe = LinkCheck::ProbeParameter;
} // namespace

void TestLinkCheck::checksAgainstUnits_data()
{
    QTest::addColumn<int>("check");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("faults");
    QTest::addColumn<bool>("off");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<QString>("line");

    QTest::newRow("identify a Prismo") << int(Identify) << 0 << "none" << false << true
                                       << R"(identify 127.0.0.11: product KVEL, name "Prismo 1", version 1.4.2.7)";
    QTest::newRow("identify another product") << int(Identify) << 1 << "none" << false << false
                                              << R"(identify 127.0.0.12: product "KVEZ", expected KVEL)";
    QTest::newRow("identify a unit switched off")
        << int(Identify) << 0 << "none" << true << false << "identify 127.0.0.11: cannot connect";

    const QString set = QStringLiteral("set and read back eParamID_Vid1ColorHDRSaturation at 127.0.0.11: ");
    QTest::newRow("set at a Prismo") << int(SetAndReadBack) << 0 << "none" << false << true
                                     << set + "1000 -> 1234, read back 1234, put back 1000, one kept-alive connection";
    QTest::newRow("set where every reply closes") << int(SetAndReadBack) << 0 << "close" << false << false
                                                  << set + "values right, but the connection was not kept alive";

    const QString reconnect = QStringLiteral("reconnect after Connection: close at 127.0.0.11: ");
    QTest::newRow("reconnect at a closing unit")
        << int(Reconnect) << 0 << "close" << false << true
        << reconnect + "closed after the first reply, second request answered KVEL on a new connection";
    QTest::newRow("reconnect at a unit that keeps the connection")
        << int(Reconnect) << 0 << "none" << false << false
        << reconnect + "the connection stayed open after the first reply";

    const QString stall = QStringLiteral("give up on stalled unit 127.0.0.11: ");
    QTest::newRow("stalled unit") << int(Stall) << 0 << "stall" << false << true
                                  << stall + "request failed after";
    QTest::newRow("slow unit that answers in time")
        << int(Stall) << 0 << "delay=300" << false << false << stall + R"(it answered "KVEL")";
}

void TestLinkCheck::checksAgainstUnits()
{
    QFETCH(int, check);
    QFETCH(int, unit);
    QFETCH(QString, faults);
    QFETCH(bool, off);
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
    if (off)
        rig.switchOff(unit);
    const std::optional<QByteArray> before = rig.parameter(unit, probe);

    std::ostringstream out;
    LinkCheck linkCheck(rig.port(), out);
    const std::string address = rig.config().units[unit].address.toStdString();
    bool result = false;
    {
        const LinkLogCapture linkDiagnostics;
        switch (check) {
        case Identify: result = linkCheck.identify(address); break;
        case SetAndReadBack: result = linkCheck.setAndReadBack(address); break;
        case Reconnect: result = linkCheck.reconnectAfterClose(address); break;
        case Stall: result = linkCheck.giveUpOnStall(address); break;
        }
    }

    const QString printed = QString::fromStdString(out.str());
    QCOMPARE(result, passes);
    QCOMPARE(linkCheck.passed(), passes ? 1 : 0);
    QCOMPARE(linkCheck.failed(), passes ? 0 : 1);
    QVERIFY2(printed.startsWith((passes ? QStringLiteral("ok   ") : QStringLiteral("FAIL ")) + line),
             qPrintable(printed));
    QCOMPARE(printed.count(QLatin1Char('\n')), 1);
    // Whatever the outcome, the check leaves the unit's value as it found it.
    QCOMPARE(rig.parameter(unit, probe), before);
}

void TestLinkCheck::versionRecord_data()
{
    QTest::addColumn<bool>("found");
    QTest::addColumn<quint32>("most");
    QTest::addColumn<quint32>("least");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<QString>("line");

    QTest::newRow("as built") << true << 0x00010003u << 0x00020006u << true
                              << "ok   version resource: file version 1.3.2.6\n";
    QTest::newRow("build number wrong") << true << 0x00010003u << 0x00020007u << false
                                        << "FAIL version resource: file version 1.3.2.7, expected 1.3.2.6\n";
    QTest::newRow("no record") << false << 0u << 0u << false
                               << "FAIL version resource: no fixed file-version record\n";
}

void TestLinkCheck::versionRecord()
{
    QFETCH(bool, found);
    QFETCH(quint32, most);
    QFETCH(quint32, least);
    QFETCH(bool, passes);
    QFETCH(QString, line);

    std::ostringstream out;
    LinkCheck linkCheck(1, out);
    QCOMPARE(linkCheck.versionRecord(found, most, least, 0x00010003u, 0x00020006u), passes);
    QCOMPARE(QString::fromStdString(out.str()), line);
}

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
