#include "programprocess.h"
#include "simulatorrig.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include <lo/lo.h>

namespace {
constexpr int Wait = 20000;

QByteArray message(const char *path, char type = 0, double number = 0)
{
    lo_message m = lo_message_new();
    if (type == 'f')
        lo_message_add_float(m, float(number));
    else if (type == 'i')
        lo_message_add_int32(m, int(number));
    QByteArray bytes(int(lo_message_length(m, path)), '\0');
    size_t size = size_t(bytes.size());
    lo_message_serialise(m, path, bytes.data(), &size);
    lo_message_free(m);
    return bytes;
}

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress(QHostAddress::LocalHost), 0);
    return probe.localPort();
}
} // namespace

// The program itself, driven over OSC with real UDP packets against the
// simulated units: what the units receive and what a subscriber gets back.
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

    QUdpSocket client;
    QVERIFY(client.bind(QHostAddress(QHostAddress::LocalHost), 0));
    const auto send = [&](const QByteArray &packet) { client.writeDatagram(packet, QHostAddress::LocalHost, oscPort); };
    QStringList received;
    connect(&client, &QUdpSocket::readyRead, &client, [&] {
        while (client.hasPendingDatagrams()) {
            QByteArray data = client.receiveDatagram().data();
            received << QString::fromLatin1(lo_get_path(data.data(), data.size()));
        }
    });
    send(message("/prismolink/subscribe", 'i', client.localPort()));

    // The unit is taken up behind the window: until then a change has no unit to go to.
    QTRY_VERIFY_WITH_TIMEOUT((send(message("/prismolink/gain/red", 'f', 1.25)),
                              rig.parameter(0, "eParamID_Vid1ColorHDRGainRed") == std::optional<QByteArray>("1250")),
                             Wait);
    QTRY_COMPARE_WITH_TIMEOUT(rig.parameter(1, "eParamID_Vid1ColorHDRGainRed"), std::optional<QByteArray>("1250"), Wait);
    QTRY_VERIFY_WITH_TIMEOUT(received.contains(QStringLiteral("/prismolink/gain/red")), Wait);
    QVERIFY(received.contains(QStringLiteral("/prismolink/unit")));

    // What cannot be obeyed is ignored and counted; what follows is obeyed.
    send(QByteArray("garbage!"));
    send(message("/prismolink/gain/purple", 'f', 1));
    send(message("/prismolink/range/in", 'i', 14));
    send(message("/prismolink/undo"));
    QTRY_VERIFY2_WITH_TIMEOUT((output += program.readAll(),
                               rig.parameter(1, "eParamID_Vid1ColorHDRGainRed") == std::optional<QByteArray>("1000")),
                              output.constData(), Wait);
    QCOMPARE(rig.parameter(0, "eParamID_Vid1DynamicRangeAndGamut"), std::optional<QByteArray>("0"));
    QTRY_VERIFY_WITH_TIMEOUT((output += program.readAll()).contains("OSC: 3 messages ignored so far"), Wait);

    program.terminate();
    QVERIFY(program.waitForFinished(Wait));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestOscRemote)
#include "tst_oscremote.moc"
