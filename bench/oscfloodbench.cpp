#include "oscfloodbench.h"

#include "benchwindow.h"
#include "conditionwait.h"
#include "eventloopprobe.h"
#include "hdrcontroller.h"
#include "lookfile.h"
#include "osccodec.h"
#include "oscpacket.h"
#include "oscserver.h"
#include "simulatorrig.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtEndian>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
// A bundle of many messages, each with one string argument.
QByteArray bundle(const QByteArray &path, const QList<QByteArray> &texts)
{
    QByteArray packet("#bundle\0\0\0\0\0\0\0\0\1", 16);
    for (const QByteArray &text : texts) {
        const QByteArray message = OscCodec::encode(path, {QString::fromUtf8(text)});
        packet += QByteArray(4, '\0') + message;
        qToBigEndian<quint32>(quint32(message.size()), packet.data() + packet.size() - message.size() - 4);
    }
    return packet;
}

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}
} // namespace

OscFloodBench::OscFloodBench(SimulatorRig &rig, PanelStandIn &panel) : m_rig(rig), m_panel(panel) {}

OscFloodBench::Result OscFloodBench::run(Flood flood, int packetsPerSecond, int seconds)
{
    Result result;
    BenchWindow window(m_rig, m_panel);
    window.show(window.unitAddress(0), window.gangOf(1));
    if (!(result.ready = window.waitReady(1)))
        return result;

    // Two looks that differ, so each recall writes.
    QTemporaryDir looks;
    LookFile::Contents contents;
    contents.look = window.controller().currentLook();
    QString error;
    LookFile::save(looks.filePath(QStringLiteral("day.json")), contents, error);
    contents.look.values[ParameterCatalogue::GainRed] += 100;
    LookFile::save(looks.filePath(QStringLiteral("night.json")), contents, error);

    OscOptions options;
    options.port = 0;
    OscServer server(window.controller(), options, [&looks](const QString &name) {
        return looks.filePath(name + QStringLiteral(".json"));
    });
    if (!(result.ready = server.start(&error)))
        return result;

    QList<QByteArray> texts;
    for (int i = 0; i < OscPacket::MostMessages; ++i) {
        if (flood == Flood::LookRecalls)
            texts << (i % 2 ? "night" : "day");
        else
            texts << m_rig.config().units[i % 2].hostName.toUtf8();
    }
    const QByteArray packet = bundle(flood == Flood::LookRecalls ? "/prismolink/look/recall" : "/prismolink/unit", texts);
    const quint16 port = server.port();
    const int packets = packetsPerSecond * seconds;
    std::atomic<bool> done{false};
    const double before = residentMb();
    EventLoopProbe probe;
    probe.start();
    std::thread sender([&] {
        QUdpSocket socket;
        const auto start = std::chrono::steady_clock::now();
        for (int sent = 0; sent < packets; ++sent) {
            socket.writeDatagram(packet, QHostAddress::LocalHost, port);
            std::this_thread::sleep_until(start + std::chrono::microseconds(1000000LL * (sent + 1) / packetsPerSecond));
        }
        done = true;
    });
    ConditionWait::until([&] { return done.load(); }, 1000 * (seconds + 10));
    sender.join();
    probe.stop();
    result.stallMs = probe.longestStallMs();
    result.residentGrowthMb = residentMb() - before;
    result.packets = packets;
    return result;
}
