#include "midimapfile.h"
#include "midisurface.h"
#include "parametercatalogue.h"

#include <RtMidi.h>

#include <QtTest>

#include <memory>

using PC = ParameterCatalogue;

Q_DECLARE_METATYPE(MidiPort::Backend)

namespace {
const char Map[] = R"({"version": 1, "controller": "Desk Controller", "mappings": [
    {"cc": 16, "parameter": "gain/red", "mode": "relative-twos"},
    {"cc": 7, "parameter": "saturation", "pickup": false}
]})";

// A controller on the desk: an output it turns and moves with, an input its
// LED rings and motor faders follow.
struct Controller
{
    explicit Controller(RtMidi::Api api) : out(api, "Desk Controller"), in(api, "Desk Controller")
    {
        in.setCallback(
            [](double, std::vector<unsigned char> *message, void *data) {
                auto *self = static_cast<Controller *>(data);
                QMutexLocker lock(&self->mutex);
                self->received << QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(message->data()), int(message->size())).toHex(' '));
            },
            this);
        out.openVirtualPort("out");
        in.openVirtualPort("in");
    }
    void send(const char *hex, int times = 1)
    {
        const QByteArray bytes = QByteArray::fromHex(hex);
        for (int i = 0; i < times; ++i)
            out.sendMessage(reinterpret_cast<const unsigned char *>(bytes.constData()), std::size_t(bytes.size()));
    }
    QString seen()
    {
        QMutexLocker lock(&mutex);
        return received.join(QLatin1String(", "));
    }

    RtMidiOut out;
    RtMidiIn in;
    QMutex mutex;
    QStringList received; // each message in hex
};
} // namespace

// The MIDI ports through a real back end: JACK's dummy driver on a server of
// the test's own, or ALSA's sequencer where the system has one. A controller
// that appears later is connected, its encoder and fader come out as
// intents, feedback reaches it, and it may vanish and come back.
class TestMidiPort : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controller_data();
    void controller();
    void cleanupTestCase();

private:
    QProcess m_jack;
};

void TestMidiPort::initTestCase()
{
    // JACK's clients, the surface's and the test's, find the test's own server by this name.
    qputenv("JACK_DEFAULT_SERVER", QByteArrayLiteral("prismolink-test-") + QByteArray::number(QCoreApplication::applicationPid()));
}

void TestMidiPort::cleanupTestCase()
{
    m_jack.terminate();
    if (!m_jack.waitForFinished(10000))
        m_jack.kill();
}

void TestMidiPort::controller_data()
{
    QTest::addColumn<MidiPort::Backend>("backend");
    QTest::newRow("jack") << MidiPort::Backend::Jack;
    QTest::newRow("alsa") << MidiPort::Backend::Alsa;
}

void TestMidiPort::controller()
{
    QFETCH(MidiPort::Backend, backend);
    const bool jack = backend == MidiPort::Backend::Jack;
    if (!jack && !QFileInfo::exists(QStringLiteral("/dev/snd/seq")))
        QSKIP("ALSA's sequencer (/dev/snd/seq) is not available here");
    MidiMap map;
    QString error;
    QVERIFY(MidiMapFile::read(Map, map, error));
    MidiSurface surface(backend, map);
    QStringList lines;
    connect(&surface, &MidiSurface::status, this, [&](const QString &line) { lines << line; });
    // What the intents ask, added up: an encoder's detents, a fader's last place.
    QMap<QString, int> asked;
    connect(&surface, &MidiSurface::intents, this, [&](const QVector<MidiIntent> &list) {
        for (const MidiIntent &i : list) {
            const QString name = QLatin1String(PC::slot(i.slot).remoteName);
            if (i.kind == MidiIntent::Kind::Step)
                asked[QLatin1String("step ") + name] += i.steps;
            else
                asked[QLatin1String("set ") + name] = i.value;
        }
    });
    surface.start();
    surface.feedback(PC::GainRed, 1000);
    if (jack) {
        // Started before the JACK server, the ports open once it runs: the
        // test's own, without real-time scheduling, which test machines do not grant.
        QTRY_VERIFY_WITH_TIMEOUT(lines.contains(QStringLiteral("MIDI: no JACK server running")), 20000);
        m_jack.setProcessChannelMode(QProcess::MergedChannels);
        m_jack.start(QStringLiteral("jackd"), {QStringLiteral("-n"), QString::fromLocal8Bit(qgetenv("JACK_DEFAULT_SERVER")),
                                               QStringLiteral("-r"), QStringLiteral("-d"), QStringLiteral("dummy")});
        if (!m_jack.waitForStarted(10000))
            QSKIP("jackd (Debian's jackd2) cannot be started here");
    }
    const QString open = QStringLiteral("MIDI: ports open (%1)").arg(MidiPort::backendName(backend));
    QTRY_VERIFY_WITH_TIMEOUT(lines.contains(open) || (jack && m_jack.state() != QProcess::Running), 30000);
    if (!lines.contains(open))
        QSKIP(qPrintable(QStringLiteral("jackd -d dummy ended: ") + QString::fromLocal8Bit(m_jack.readAll()).simplified()));

    // Connected when it appears; it is shown the known values at once.
    const RtMidi::Api api = jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
    auto desk = std::make_unique<Controller>(api);
    QTRY_VERIFY_WITH_TIMEOUT(!surface.inputController().isEmpty() && !surface.outputController().isEmpty(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(desk->seen(), QStringLiteral("b0 10 19"), 10000);

    // An encoder turned three detents, a motor fader moved, then a burst in which every detent counts.
    desk->send("b01001", 3);
    desk->send("b00764");
    QTRY_COMPARE_WITH_TIMEOUT(asked.value(QStringLiteral("step gain/red")), 3, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(asked.value(QStringLiteral("set saturation")), 1575, 10000);
    QCOMPARE(asked.size(), 2);
    desk->send("b01001", 1000);
    QTRY_COMPARE_WITH_TIMEOUT(asked.value(QStringLiteral("step gain/red")), 1003, 10000);

    // Feedback follows every change shown.
    surface.feedback(PC::Saturation, 1500);
    surface.feedback(PC::GainRed, 2500);
    QTRY_COMPARE_WITH_TIMEOUT(desk->seen(), QStringLiteral("b0 10 19, b0 07 5f, b0 10 40"), 10000);

    // Unplugged: a status line; plugged in again: connected again.
    const QString gone = QStringLiteral("MIDI: %1 is gone").arg(surface.inputController());
    desk.reset();
    QTRY_VERIFY_WITH_TIMEOUT(lines.contains(gone) && surface.inputController().isEmpty(), 20000);
    desk = std::make_unique<Controller>(api);
    QTRY_VERIFY_WITH_TIMEOUT(!surface.inputController().isEmpty(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(desk->seen(), QStringLiteral("b0 10 40, b0 07 5f"), 10000);
}

QTEST_GUILESS_MAIN(TestMidiPort)
#include "tst_midiport.moc"
