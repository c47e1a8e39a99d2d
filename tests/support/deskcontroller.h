#pragma once

#include <RtMidi.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTest>

// A JACK server of the test's own on the dummy driver, without real-time
// scheduling (test machines do not grant it), in periods of 4096 frames
// (85 ms), in which a burst of a thousand messages is handed over even
// under ThreadSanitizer. Its clients, the program's and the test's, find it
// by the name in JACK_DEFAULT_SERVER.
class JackServer
{
public:
    JackServer() : m_name("prismolink-test-" + QByteArray::number(QCoreApplication::applicationPid()))
    {
        qputenv("JACK_DEFAULT_SERVER", m_name);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~JackServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    // Started and taking clients (jack_lsp reaches it); false when jackd cannot start or ends.
    bool start()
    {
        m_process.start(QStringLiteral("jackd"), {QStringLiteral("-n"), QString::fromLatin1(m_name), QStringLiteral("-r"),
                                                  QStringLiteral("-d"), QStringLiteral("dummy"), QStringLiteral("-p"), QStringLiteral("4096")});
        const auto reached = [] {
            QProcess list;
            list.start(QStringLiteral("jack_lsp"), QStringList());
            return list.waitForFinished(10000) && list.exitStatus() == QProcess::NormalExit && list.exitCode() == 0;
        };
        return m_process.waitForStarted(10000) && QTest::qWaitFor([&] { return !running() || reached(); }, 20000) && running();
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    QString output() { return QString::fromLocal8Bit(m_process.readAll()).simplified(); }

private:
    QByteArray m_name;
    QProcess m_process;
};

// A controller on the desk: an output it turns and moves with, an input its
// LED rings and motor faders follow, as ports of its own (which the program
// connects to when the name matches its mapping) or connected to the ports
// whose names hold `connectTo`. Its constructor throws RtMidiError when the
// back end is not there.
struct DeskController
{
    explicit DeskController(RtMidi::Api api, const QString &connectTo = QString())
        : out(api, "Desk Controller"), in(api, "Desk Controller")
    {
        if (connectTo.isEmpty()) {
            out.openVirtualPort("out");
            in.openVirtualPort("in");
            return;
        }
        for (RtMidi *midi : {static_cast<RtMidi *>(&out), static_cast<RtMidi *>(&in)}) {
            for (unsigned i = 0; i < midi->getPortCount(); ++i) {
                if (QString::fromStdString(midi->getPortName(i)).contains(connectTo)) {
                    midi->openPort(i);
                    break;
                }
            }
        }
    }
    // Each message in hex, `times` times.
    void send(const QByteArray &hex, int times = 1)
    {
        const QByteArray bytes = QByteArray::fromHex(hex);
        for (int i = 0; i < times; ++i)
            out.sendMessage(reinterpret_cast<const unsigned char *>(bytes.constData()), std::size_t(bytes.size()));
    }
    // What it received, each message in hex.
    QString seen()
    {
        std::vector<unsigned char> message;
        while (in.getMessage(&message), !message.empty())
            received << QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(message.data()), int(message.size())).toHex(' '));
        return received.join(QLatin1String(", "));
    }

    RtMidiOut out;
    RtMidiIn in;
    QStringList received;
};
