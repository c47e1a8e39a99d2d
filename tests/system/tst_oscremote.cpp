#include "osccodec.h"
#include "oscpacket.h"
#include "prismosettings.h"
#include "programprocess.h"
#include "simulatorrig.h"

#include <QNetworkDatagram>
#include <QScopeGuard>
#include <QUdpSocket>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {
constexpr int Wait = 20000;
// An answer later than this means the program stood still, not that the
// machine is busy.
constexpr qint64 SlowestAnswerMs = 2000;

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress(QHostAddress::LocalHost), 0);
    return probe.localPort();
}

// A show-control tool's socket at an address of its own, and what it received.
struct Tool
{
    QUdpSocket socket;
    QList<QPair<QByteArray, QList<double>>> received;

    explicit Tool(const char *address)
    {
        QVERIFY(socket.bind(QHostAddress(QLatin1String(address)), 0));
        QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [this] {
            while (socket.hasPendingDatagrams()) {
                QByteArray data = socket.receiveDatagram().data();
                OscCodec::Message decoded;
                if (OscCodec::decode(data, decoded))
                    received.append({decoded.path, decoded.numbers});
            }
        });
    }
    int count(const QByteArray &path) const
    {
        return int(std::count_if(received.cbegin(), received.cend(), [&](const auto &m) { return m.first == path; }));
    }
};
} // namespace

// The program itself, driven over OSC with real UDP packets against the
// simulated units: what the units receive, what a subscriber gets back,
// that a flood is paid for without the program standing still or its
// reading stopping, and that a forged subscription sends nothing but the
// cookie to whom it names.
class TestOscRemote : public QObject
{
    Q_OBJECT

private slots:
    void showControlDrivesTheUnits();
};

void TestOscRemote::showControlDrivesTheUnits()
{
    RigConfig config;
    config.units << UnitConfig::numbered(1) << UnitConfig::numbered(2);
    SimulatorRig rig(config);
    QString error;
    QVERIFY2(rig.start(0, &error), qPrintable(error));

    const quint16 oscPort = freeUdpPort();
    ProgramProcess run(rig.port());
    run.environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("prismolink.osc.debug=true"));
    run.start(QStringLiteral(PRISMOLINK_BINARY), {QStringLiteral("-m"), QStringLiteral("--osc-port"), QString::number(oscPort)});
    QProcess &program = run.process;
    QVERIFY(program.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += program.readAll()).contains("OSC: listening"), Wait);

    Tool client("127.0.0.1");
    const auto send = [&](const QByteArray &packet) { client.socket.writeDatagram(packet, QHostAddress::LocalHost, oscPort); };
    // The handshake: the cookie comes to the port asked for, and sent back it confirms.
    send(OscCodec::encode("/prismolink/subscribe", {}));
    QTRY_COMPARE_WITH_TIMEOUT(client.count("/prismolink/subscribe"), 1, Wait);
    QCOMPARE(client.received.size(), 1);
    const QList<double> challenge = client.received[0].second;
    QCOMPARE(challenge.value(0), double(client.socket.localPort()));
    send(OscCodec::encode("/prismolink/subscribe", {qint32(challenge.value(0)), qint32(challenge.value(1))}));
    // Every current value at once.
    QTRY_VERIFY_WITH_TIMEOUT(client.count("/prismolink/unit") > 0 && client.count("/prismolink/tint") > 0, Wait);

    // Someone at 127.0.0.9 never asked; a packet claiming to come from it does.
    Tool victim("127.0.0.9");
    Tool forger("127.0.0.9");
    forger.socket.writeDatagram(OscCodec::encode("/prismolink/subscribe", {qint32(victim.socket.localPort())}),
                                QHostAddress::LocalHost, oscPort);

    // The unit is taken up behind the window: until then a change has no unit to go to.
    QTRY_VERIFY_WITH_TIMEOUT((send(OscCodec::encode("/prismolink/gain/red", {1.25f})),
                              rig.parameter(0, "eParamID_Vid1ColorHDRGainRed") == std::optional<QByteArray>("1250")),
                             Wait);
    QTRY_COMPARE_WITH_TIMEOUT(rig.parameter(1, "eParamID_Vid1ColorHDRGainRed"), std::optional<QByteArray>("1250"), Wait);
    QTRY_VERIFY_WITH_TIMEOUT(client.received.contains(qMakePair(QByteArray("/prismolink/gain/red"), QList<double>{1.25})), Wait);

    // A flood of bundles of look recalls from another sender is paid for
    // message by message: it neither stops the reading nor holds up the
    // queries of the subscriber, whose own budget it does not touch.
    std::atomic<bool> flooding{true}, stop{false};
    std::thread flood([&] {
        QUdpSocket socket;
        socket.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
        QByteArray bundle("#bundle\0\0\0\0\0\0\0\0\1", 16);
        const QByteArray recall = OscCodec::encode("/prismolink/look/recall", {QStringLiteral("day")});
        for (int i = 0; i < OscPacket::MostMessages; ++i)
            bundle += QByteArray(3, '\0') + char(recall.size()) + recall;
        // 600 a second for three seconds.
        for (int i = 0; i < 1800 && !stop; ++i) {
            socket.writeDatagram(bundle, QHostAddress::LocalHost, oscPort);
            std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::microseconds(1666));
        }
        flooding = false;
    });
    const auto joined = qScopeGuard([&] {
        stop = true;
        flood.join();
    });
    qint64 slowest = 0;
    while (flooding) {
        const int answers = client.count("/prismolink/channel");
        QElapsedTimer asked;
        asked.start();
        // A datagram may be lost in a flood (a busy machine lets the socket's
        // queue fill): the query is asked again until answered, as a console would.
        QTRY_VERIFY_WITH_TIMEOUT((send(OscCodec::encode("/prismolink/channel", {})), client.count("/prismolink/channel") > answers),
                                 Wait);
        slowest = std::max(slowest, asked.elapsed());
    }
    QVERIFY2(slowest < SlowestAnswerMs, qPrintable(QStringLiteral("%1 ms").arg(slowest)));
    const QRegularExpression dropped(QStringLiteral("over the budget [1-9]"));
    QTRY_VERIFY2_WITH_TIMEOUT(dropped.match(QString::fromLatin1(output += program.readAll())).hasMatch(),
                              output.right(2000).constData(), Wait);

    // The one that never asked got the cookie, once, and nothing else.
    QCOMPARE(victim.received.size(), 1);
    QCOMPARE(victim.received[0].first, QByteArray("/prismolink/subscribe"));

    program.terminate();
    QVERIFY(program.waitForFinished(Wait));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestOscRemote)
#include "tst_oscremote.moc"
