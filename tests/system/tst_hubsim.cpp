#include "hubdisplay.h"
#include "hubscript.h"
#include "hubserver.h"
#include "tangentwavepanel.h"

#include <QtTest>

#include <memory>

// The hub stand-in: its display, and its commands driving the program's
// panel client (its requests as the program decodes them are in the hub
// protocol test).
class TestHubSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void display_data();
    void display();
    void driveTheProgramsPanel();
};

namespace {
constexpr int Timeout = 20000;
} // namespace

void TestHubSim::initTestCase()
{
    qRegisterMetaType<uint32_t>("uint32_t");
}

void TestHubSim::display_data()
{
    QTest::addColumn<quint32>("line");
    QTest::addColumn<quint32>("x");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("expected");

    QTest::newRow("runs past the edge") << 0u << 28u << QByteArray("Level") << true << QString(28, ' ') + "Leve";
    QTest::newRow("line 5 is off the display") << 5u << 0u << QByteArray("x") << false << QString(32, ' ');
}

void TestHubSim::display()
{
    QFETCH(quint32, line);
    QFETCH(quint32, x);
    QFETCH(QByteArray, text);
    QFETCH(bool, shown);
    QFETCH(QString, expected);
    HubDisplay d;
    QCOMPARE(d.write(line, x, text), shown);
    QCOMPARE(d.line(shown ? int(line) : 0), expected);
}

// The simulator and the program's panel client, end to end in one process
// (the program taking up a dropped connection shows in the fault-injection test).
void TestHubSim::driveTheProgramsPanel()
{
    HubServer server;
    server.setPanel(5, 0x0C, 7);
    QVERIFY(server.listen(0));
    HubScript script(server);
    QSignalSpy announced(&server, &HubServer::programAnnounced);
    const auto panel = std::make_unique<tangentWavePanel>(server.port());
    QVERIFY(announced.wait(Timeout));
    QCOMPARE(announced.at(0).at(0).toString(), QStringLiteral("Marvendolquistraband"));
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
}

QTEST_GUILESS_MAIN(TestHubSim)
#include "tst_hubsim.moc"
