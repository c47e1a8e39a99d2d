#include "midibench.h"

#include "benchclock.h"
#include "benchwindow.h"
#include "conditionwait.h"
#include "eventloopprobe.h"
#include "hdrcontroller.h"
#include "midiremote.h"
#include "requestwatch.h"
#include "simulatorrig.h"

#include <RtMidi.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using PC = ParameterCatalogue;

namespace {
// cc 16 steps gain/red by an arrow key's step a detent, cc 17 gain/green by a fine one.
const char Map[] = R"({"version": 1, "controller": "Bench Desk", "mappings": [
    {"cc": 16, "parameter": "gain/red", "mode": "relative-twos"},
    {"cc": 17, "parameter": "gain/green", "mode": "relative-twos", "step": "fine"}
]})";

void send(RtMidiOut &out, unsigned char control, unsigned char value)
{
    const unsigned char message[3] = {0xB0, control, value};
    out.sendMessage(message, 3);
}

// The unit's write of the parameter with this value, once it has arrived; counts the parameter's writes.
struct WriteWait
{
    QByteArray name;
    QByteArray value;
    int writes = 0;
    qint64 atNs = 0;

    bool arrived(RequestWatch &watch)
    {
        for (const RequestWatch::Request &request : watch.takeArrived()) {
            if (RequestWatch::isSet(request) && request.name == name) {
                ++writes;
                if (request.value == value)
                    atNs = request.atNs;
            }
        }
        return atNs != 0;
    }
};
} // namespace

MidiBench::MidiBench(SimulatorRig &rig, PanelStandIn &panel, RequestWatch &watch) : m_rig(rig), m_panel(panel), m_watch(watch) {}

MidiBench::Result MidiBench::run(int messages, int bursts, int burstSize)
{
    Result result;
    QProcess jack;
    jack.setProcessChannelMode(QProcess::MergedChannels);
    jack.start(QStringLiteral("jackd"), {QStringLiteral("-n"), qEnvironmentVariable("JACK_DEFAULT_SERVER"), QStringLiteral("-r"),
                                         QStringLiteral("-d"), QStringLiteral("dummy"), QStringLiteral("-r"),
                                         QString::number(SampleRate), QStringLiteral("-p"), QString::number(PeriodFrames)});
    const auto stopJack = [&jack] {
        jack.terminate();
        if (!jack.waitForFinished(10000))
            jack.kill();
    };
    if (!jack.waitForStarted(10000)) {
        result.why = QStringLiteral("jackd cannot be started");
        return result;
    }

    // The controller's port, once the server takes clients (tried now and then: each failure is told on the console).
    std::unique_ptr<RtMidiOut> desk;
    qint64 triedNs = 0;
    ConditionWait::until(
        [&] {
            if (BenchClock::millis(triedNs, BenchClock::nowNs()) < 500)
                return false;
            triedNs = BenchClock::nowNs();
            try {
                auto out = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "Bench Desk");
                out->openVirtualPort("out");
                desk = std::move(out);
            } catch (const RtMidiError &) {
            }
            return desk != nullptr || jack.state() != QProcess::Running;
        },
        ConditionWait::MeasureTimeoutMs);
    if (!desk) {
        result.why = QStringLiteral("jackd -d dummy did not take clients: ") + QString::fromLocal8Bit(jack.readAll()).simplified();
        stopJack();
        return result;
    }

    QTemporaryDir folder;
    QFile mapFile(folder.filePath(QStringLiteral("bench.json")));
    if (!mapFile.open(QIODevice::WriteOnly) || mapFile.write(Map) < 0)
        return result;
    mapFile.close();
    BenchWindow window(m_rig, m_panel);
    window.show(window.unitAddress(0), {});
    QString error;
    MidiRemote midi(window.controller(), MidiPort::Backend::Jack);
    bool reading = false;
    QObject::connect(&midi, &MidiRemote::status, &midi,
                     [&reading](const QString &line) { reading = reading || line.startsWith(QLatin1String("MIDI: reading")); });
    if (!window.waitReady(0) || !midi.loadMap(mapFile.fileName(), &error)) {
        result.why = QStringLiteral("the window did not come up");
        stopJack();
        return result;
    }
    // The program connects to the controller as it finds it.
    midi.setEnabled(true);
    if (!ConditionWait::until([&] { return reading; }, ConditionWait::MeasureTimeoutMs)) {
        result.why = QStringLiteral("the program did not connect to the controller");
        stopJack();
        return result;
    }

    HdrController &c = window.controller();
    const int channel = c.current().channel;
    std::vector<double> latency, burst, sets, stalls;
    bool ended = window.settle();
    for (int i = 0; i < messages && ended; ++i) {
        const bool up = i % 2 == 0;
        WriteWait write{PC::parameterName(channel, PC::GainRed),
                        PC::wireText(PC::GainRed, c.value(PC::GainRed) + (up ? PC::ArrowStep : -PC::ArrowStep))};
        m_watch.takeArrived();
        const qint64 start = BenchClock::nowNs();
        send(*desk, 16, up ? 1 : 127);
        ended = ConditionWait::until([&] { return write.arrived(m_watch); }, ConditionWait::MeasureTimeoutMs);
        latency.push_back(BenchClock::millis(start, write.atNs));
    }
    EventLoopProbe probe;
    for (int b = 0; b < bursts && ended; ++b) {
        const bool up = b % 2 == 0;
        ended = window.settle();
        WriteWait write{PC::parameterName(channel, PC::GainGreen),
                        PC::wireText(PC::GainGreen, c.value(PC::GainGreen) + (up ? burstSize : -burstSize))};
        m_watch.takeArrived();
        probe.start();
        const qint64 start = BenchClock::nowNs();
        for (int i = 0; i < burstSize; ++i)
            send(*desk, 17, up ? 1 : 127);
        ended = ended && ConditionWait::until([&] { return write.arrived(m_watch); }, ConditionWait::MeasureTimeoutMs);
        probe.stop();
        burst.push_back(BenchClock::millis(start, write.atNs));
        sets.push_back(write.writes);
        stalls.push_back(probe.longestStallMs());
    }
    desk.reset();
    midi.setEnabled(false);
    window.close();
    stopJack();
    result.latencyMs = SampleStats(latency);
    result.burstMs = SampleStats(burst);
    result.burstSets = SampleStats(sets);
    result.burstStallMs = SampleStats(stalls);
    result.ready = ended;
    if (!ended)
        result.why = QStringLiteral("a write did not arrive");
    return result;
}
