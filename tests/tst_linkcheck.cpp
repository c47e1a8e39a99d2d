#include "capturedoutput.h"
#include "linkcheck.h"
#include "simulatorrig.h"

#include <QtTest>

#include <memory>
#include <sstream>

// The link check program's checks against simulated units that behave, and
// against units that misbehave in the way each check must catch.
class TestLinkCheck : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void checksAgainstUnits_data();
    void checksAgainstUnits();
    void versionRecord_data();
    void versionRecord();
    void summaryCountsEveryCheck();

private:
    std::unique_ptr<SimulatorRig> m_rig;
};

namespace {
enum Check { Identify, SetAndReadBack, Reconnect, Stall };
const QByteArray probe = LinkCheck::ProbeParameter;
} // namespace

void TestLinkCheck::init()
{
    RigConfig config;
    config.units = {UnitConfig::numbered(1), UnitConfig::numbered(2)};
    config.units[1].productId = "KVEZ";
    m_rig = std::make_unique<SimulatorRig>(config);
    QString error;
    QVERIFY2(m_rig->start(0, &error), qPrintable(error));
}

void TestLinkCheck::cleanup()
{
    m_rig.reset();
}

void TestLinkCheck::checksAgainstUnits_data()
{
    QTest::addColumn<int>("check");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("faults");
    QTest::addColumn<QByteArray>("probeValue"); // empty: as the unit starts; "off": switched off
    QTest::addColumn<bool>("passes");
    QTest::addColumn<QString>("line");

    QTest::newRow("identify a Prismo") << int(Identify) << 0 << "none" << QByteArray() << true
                                       << R"(identify 127.0.0.11: product KVEL, name "Prismo 1", version 1.4.2.7)";
    QTest::newRow("identify through chunked replies")
        << int(Identify) << 0 << "chunked=3" << QByteArray() << true
        << R"(identify 127.0.0.11: product KVEL, name "Prismo 1", version 1.4.2.7)";
    QTest::newRow("identify another product") << int(Identify) << 1 << "none" << QByteArray() << false
                                              << R"(identify 127.0.0.12: product "KVEZ", expected KVEL)";
    QTest::newRow("identify without a system name")
        << int(Identify) << 0 << "fail=eParamID_SystemName" << QByteArray() << false
        << "identify 127.0.0.11: product KVEL, no system name";
    QTest::newRow("identify a unit switched off")
        << int(Identify) << 0 << "none" << QByteArray("off") << false << "identify 127.0.0.11: cannot connect";

    const QString set = QStringLiteral("set and read back eParamID_Vid1ColorHDRSaturation at 127.0.0.11: ");
    QTest::newRow("set at a Prismo") << int(SetAndReadBack) << 0 << "none" << QByteArray() << true
                                     << set + "1000 -> 1234, read back 1234, put back 1000, one kept-alive connection";
    QTest::newRow("set where the value is already 1234")
        << int(SetAndReadBack) << 0 << "none" << QByteArray("1234") << true
        << set + "1234 -> 1235, read back 1235, put back 1234, one kept-alive connection";
    QTest::newRow("set where the parameter fails") << int(SetAndReadBack) << 0 << "fail=" + QString::fromLatin1(probe)
                                                   << QByteArray() << false << set + "cannot read it";
    QTest::newRow("set where every reply closes") << int(SetAndReadBack) << 0 << "close" << QByteArray() << false
                                                  << set + "values right, but the connection was not kept alive";

    const QString reconnect = QStringLiteral("reconnect after Connection: close at 127.0.0.11: ");
    QTest::newRow("reconnect at a closing unit")
        << int(Reconnect) << 0 << "close" << QByteArray() << true
        << reconnect + "closed after the first reply, second request answered KVEL on a new connection";
    QTest::newRow("reconnect at a closing unit with chunked replies")
        << int(Reconnect) << 0 << "close,chunked" << QByteArray() << true
        << reconnect + "closed after the first reply, second request answered KVEL on a new connection";
    QTest::newRow("reconnect at a unit that keeps the connection")
        << int(Reconnect) << 0 << "none" << QByteArray() << false
        << reconnect + "the connection stayed open after the first reply";
    QTest::newRow("reconnect at a unit that drops every request")
        << int(Reconnect) << 0 << "drop=1" << QByteArray() << false << reconnect + R"(first request answered "")";

    const QString stall = QStringLiteral("give up on stalled unit 127.0.0.11: ");
    QTest::newRow("stalled unit") << int(Stall) << 0 << "stall" << QByteArray() << true
                                  << stall + "request failed after";
    QTest::newRow("slow unit that answers in time")
        << int(Stall) << 0 << "delay=300" << QByteArray() << false << stall + R"(it answered "KVEL")";
    QTest::newRow("stall check at a unit switched off")
        << int(Stall) << 0 << "none" << QByteArray("off") << false << stall + "cannot connect";
}

void TestLinkCheck::checksAgainstUnits()
{
    QFETCH(int, check);
    QFETCH(int, unit);
    QFETCH(QString, faults);
    QFETCH(QByteArray, probeValue);
    QFETCH(bool, passes);
    QFETCH(QString, line);

    FaultSettings settings;
    QVERIFY(settings.apply(faults, nullptr));
    m_rig->setFaults(unit, settings);
    if (probeValue == "off")
        m_rig->switchOff(unit);
    else if (!probeValue.isEmpty())
        QVERIFY(m_rig->setParameter(unit, probe, probeValue));
    const std::optional<QByteArray> before = m_rig->parameter(unit, probe);

    std::ostringstream out;
    LinkCheck linkCheck(m_rig->port(), out);
    const std::string address = m_rig->config().units[unit].address.toStdString();
    bool result = false;
    {
        const CapturedOutput linkDiagnostics;
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
    QCOMPARE(m_rig->parameter(unit, probe), before);
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
    QTest::newRow("minor wrong") << true << 0x00010004u << 0x00020006u << false
                                 << "FAIL version resource: file version 1.4.2.6, expected 1.3.2.6\n";
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
    LinkCheck linkCheck(m_rig->port(), out);
    QCOMPARE(linkCheck.versionRecord(found, most, least, 0x00010003u, 0x00020006u), passes);
    QCOMPARE(QString::fromStdString(out.str()), line);
}

void TestLinkCheck::summaryCountsEveryCheck()
{
    std::ostringstream out;
    LinkCheck linkCheck(m_rig->port(), out);
    {
        const CapturedOutput linkDiagnostics;
        linkCheck.identify("127.0.0.11");
        linkCheck.identify("127.0.0.12");
        linkCheck.setAndReadBack("127.0.0.11");
    }
    QCOMPARE(linkCheck.summary(), std::string("2 passed, 1 failed"));
}

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
