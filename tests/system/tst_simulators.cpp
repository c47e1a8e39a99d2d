#include "hubdisplay.h"
#include "hubscript.h"
#include "hubserver.h"
#include "linklogcapture.h"
#include "simulatorrig.h"
#include "tangentwavepanel.h"
#include "tavirestconfigcontrol.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <signal.h>

using Text = std::optional<std::string>;

// What the other tests take on trust from the simulators: the faults a unit
// is told to have, as a client sees them; prismo-sim driven as a process
// through standard input; the hub stand-in's commands reaching the
// program's panel client.
class TestSimulators : public QObject
{
    Q_OBJECT

private slots:
    void faultSettings_data();
    void faultSettings();
    void faultsAtTheClient_data();
    void faultsAtTheClient();
    void prismoSimDrivenThroughStandardInput();
    void hubScriptDrivesTheProgramsPanel();
};

namespace {
constexpr int Timeout = 20000;

// A value through the device link, whose diagnostics are expected here.
Text read(TAVIRESTConfigControl &link, const std::string &name)
{
    const LinkLogCapture quiet;
    std::string value;
    return link.GetParam(name, value, "text-plain") ? Text(value) : Text();
}

// Writes a command to prismo-sim (none when empty) and returns the first
// line of standard error after it that matches: by default the answer's
// last line, which begins with "ok" or "error:".
QString answer(QProcess &sim, const QString &command, const QString &pattern = QStringLiteral("^(ok|error:)"))
{
    if (!command.isEmpty())
        sim.write(command.toUtf8() + '\n');
    const QRegularExpression expression(pattern);
    for (const QDeadlineTimer deadline(Timeout); !deadline.hasExpired() && sim.state() != QProcess::NotRunning;) {
        while (sim.canReadLine()) {
            const QString line = QString::fromLocal8Bit(sim.readLine()).trimmed();
            if (expression.match(line).hasMatch())
                return line;
        }
        sim.waitForReadyRead(200);
    }
    return QString();
}
} // namespace

void TestSimulators::faultSettings_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");

    QTest::newRow("blank-separated, all kinds")
        << "none"
        << "fail=eParamID_B fail=eParamID_A drop=3 close stall standard oversize chunked=5000 garbage cut=7" << true
        << "chunked=5000,close,drop=3,fail=eParamID_A,fail=eParamID_B,stall,oversize=5000,standard,garbage,cut=7";
    QTest::newRow("one turned off") << "close,stall,fail=eParamID_A,fail=eParamID_B" << "no-stall no-fail=eParamID_A"
                                    << true << "close,fail=eParamID_B";
    QTest::newRow("bad number keeps all") << "close" << "delay=10,drop=x" << false << "close";
}

void TestSimulators::faultSettings()
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

// Whether four reads through the device link are answered once the faults
// are set, and the requests the unit received; cleared, the unit answers
// again. (How the window lives with each fault is the fault matrix's.)
void TestSimulators::faultsAtTheClient_data()
{
    QTest::addColumn<QString>("faults");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("requests");

    // The read before the faults were set was the first request; the link
    // sends each dropped one (the 3rd and the 6th) again on a new connection.
    QTest::newRow("every third request dropped") << "drop=3" << true << 6;
    // Cut at the 4096 bytes the link reads, so not a value to use.
    QTest::newRow("oversize body") << "oversize" << false << 4;
    QTest::newRow("cut mid-reply") << "cut" << false << 4;
    // A reply that never ends costs the time-out, and the link backs off.
    QTest::newRow("garbage") << "garbage" << false << 1;
}

void TestSimulators::faultsAtTheClient()
{
    QFETCH(QString, faults);
    QFETCH(bool, answered);
    QFETCH(int, requests);

    SimulatorRig rig(RigConfig::defaultRig());
    QString error;
    QVERIFY2(rig.start(0, &error), qPrintable(error));
    TAVIRESTConfigControl unit(rig.config().units.at(0).address.toStdString(), rig.port(), "config");
    // The faults change while the link is connected, as a user would change them.
    QVERIFY(read(unit, "eParamID_ZyloMode"));
    FaultSettings settings;
    QVERIFY2(settings.apply(faults, &error), qPrintable(error));
    rig.setFaults(0, settings);
    rig.clearRequestLog();
    for (int attempt = 0; attempt < 4; ++attempt)
        QCOMPARE(read(unit, "eParamID_ProductID") == Text("KVEL"), answered);
    QCOMPARE(rig.requestLog().size(), requests);
    QCOMPARE(unit.isConnected(), answered);
    rig.setFaults(0, FaultSettings());
    QTRY_COMPARE_WITH_TIMEOUT(read(unit, "eParamID_ProductID"), Text("KVEL"), 15000);
}

// A rig file, the program's device port taken from the environment,
// commands on standard input, running on without input, the end on a
// signal and the request log, as users and scripts run prismo-sim.
void TestSimulators::prismoSimDrivenThroughStandardInput()
{
    QTemporaryDir temp;
    QFile config(temp.filePath(QStringLiteral("rig.json")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(R"({"units": [{"name": "First Unit", "address": "127.0.0.51"},
                              {"name": "Second Unit", "address": "127.0.0.52", "mode": 2, "faults": "standard"}]})");
    config.close();
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress(QStringLiteral("127.0.0.51"))));
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess sim;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PRISMOLINK_DEVICE_PORT"), QString::number(port));
    sim.setProcessEnvironment(env);
    sim.setReadChannel(QProcess::StandardError);
    sim.start(QStringLiteral(PRISMO_SIM_BINARY), {QStringLiteral("--config"), config.fileName(), QStringLiteral("--log"),
                                                  temp.filePath("requests.log")});
    QVERIFY(!answer(sim, {}, QStringLiteral("listening on port %1 with 2 units").arg(port)).isEmpty());
    TAVIRESTConfigControl first("127.0.0.51", port, "config");

    QCOMPARE(answer(sim, "set 127.0.0.51 eParamID_Vid1ColorHDRGainRed 1234"), QStringLiteral("ok"));
    QCOMPARE(read(first, "eParamID_Vid1ColorHDRGainRed"), Text("1234"));
    QVERIFY(first.ChangeParam("eParamID_Vid1ColorHDRTint", "-5"));
    QCOMPARE(answer(sim, "get prismo-1 eParamID_Vid1ColorHDRTint"), QStringLiteral("ok -5"));
    QVERIFY(!read(first, "eParamID_NoSuchThing"));
    QCOMPARE(answer(sim, "fault 1 fail=eParamID_ProductID"), QStringLiteral("ok"));
    QVERIFY(!read(first, "eParamID_ProductID"));
    QCOMPARE(answer(sim, "clear 1"), QStringLiteral("ok"));
    QVERIFY(read(first, "eParamID_ProductID"));
    QCOMPARE(answer(sim, "status", "^unit 2 "),
             QStringLiteral("unit 2 127.0.0.52:%1 prismo-2 \"Second Unit\" on faults=standard").arg(port));

    sim.closeWriteChannel();
    TAVIRESTConfigControl second("127.0.0.52", port, "config");
    QTRY_COMPARE_WITH_TIMEOUT(read(second, "eParamID_ZyloMode"), Text("2"), 10000);
    ::kill(static_cast<pid_t>(sim.processId()), SIGTERM);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QFile log(temp.filePath(QStringLiteral("requests.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("\n127.0.0.51 GET /config?action=set&paramid=eParamID_Vid1ColorHDRTint&value=-5 HTTP/1.1\n"));
}

// The hub stand-in greets with the panel it is given, and its script's
// commands reach the program's panel client; its display keeps to 32
// columns and 5 lines.
void TestSimulators::hubScriptDrivesTheProgramsPanel()
{
    qRegisterMetaType<uint32_t>("uint32_t");
    HubServer server;
    server.setPanel(5, 0x0C, 7);
    QVERIFY(server.listen(0));
    HubScript script(server);
    const auto panel = std::make_unique<tangentWavePanel>(server.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel->displayPanelId(), 7u, Timeout);
    QCOMPARE(server.requestedPanels(), QList<quint32>{7});

    QSignalSpy encoder(panel.get(), &tangentWavePanel::sig_encoder);
    QSignalSpy down(panel.get(), &tangentWavePanel::sig_buttonDown);
    QSignalSpy up(panel.get(), &tangentWavePanel::sig_buttonUp);
    QCOMPARE(script.execute(QStringLiteral("encoder 9 -20")).output, QStringList{"ok"});
    QCOMPARE(script.execute(QStringLiteral("button 12")).output, QStringList{"ok"});
    QTRY_COMPARE_WITH_TIMEOUT(up.count(), 1, Timeout);
    QCOMPARE(encoder.count(), 1);
    QCOMPARE(encoder.at(0).at(0).toUInt(), 9u);
    QCOMPARE(encoder.at(0).at(1).toFloat(), -20.0f);
    QCOMPARE(down.at(0).at(0).toUInt(), 12u);
    QSignalSpy dropped(&server, &HubServer::clientDisconnected);
    QCOMPARE(script.execute(QStringLiteral("drop")).output, QStringList{"ok"});
    QVERIFY(dropped.count() == 1 || dropped.wait(Timeout));

    HubDisplay display;
    QVERIFY(display.write(0, 28, "Level"));
    QCOMPARE(display.line(0), QString(28, ' ') + "Leve");
    QVERIFY(!display.write(5, 0, "x"));
}

QTEST_GUILESS_MAIN(TestSimulators)
#include "tst_simulators.moc"
