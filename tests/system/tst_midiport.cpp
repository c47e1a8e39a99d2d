#include "deskcontroller.h"
#include "midimapfile.h"
#include "midisurface.h"
#include "parametercatalogue.h"

#include <QtTest>

#include <memory>

using PC = ParameterCatalogue;

Q_DECLARE_METATYPE(MidiPort::Backend)

namespace {
const char Map[] = R"({"version": 1, "controller": "Desk Controller", "mappings": [
    {"cc": 16, "parameter": "gain/red", "mode": "relative-twos"}
]})";

} // namespace

// The MIDI ports through a real back end: JACK's dummy driver on a server of
// the test's own, or ALSA's sequencer where the system has one: ports opened
// before the JACK server runs open once it does, a controller that appears
// later is connected, a burst from it arrives whole, and it may vanish and
// come back. What its controls do in the program: tst_midicontrol.
class TestMidiPort : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controller_data();
    void controller();

private:
    std::unique_ptr<JackServer> m_jack;
};

void TestMidiPort::initTestCase()
{
    m_jack = std::make_unique<JackServer>();
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
    int detents = 0;
    connect(&surface, &MidiSurface::intents, this, [&](const QVector<MidiIntent> &list) {
        for (const MidiIntent &i : list)
            detents += i.steps;
    });
    surface.start();
    surface.feedback(PC::GainRed, 1000);
    if (jack) {
        // Started before the JACK server, the ports open once it runs.
        QTRY_VERIFY_WITH_TIMEOUT(lines.contains(QStringLiteral("MIDI: no JACK server running")), 20000);
        if (!m_jack->start())
            QSKIP("jackd (Debian's jackd2) cannot be started here");
    }
    const QString open = QStringLiteral("MIDI: ports open (%1)").arg(MidiPort::backendName(backend));
    QTRY_VERIFY_WITH_TIMEOUT(lines.contains(open) || (jack && !m_jack->running()), 30000);
    if (!lines.contains(open))
        QSKIP(qPrintable(QStringLiteral("jackd -d dummy ended: ") + m_jack->output()));

    // Connected when it appears, and shown the values known at once; a burst in which every detent counts.
    const RtMidi::Api api = jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
    auto desk = std::make_unique<DeskController>(api);
    QTRY_COMPARE_WITH_TIMEOUT(desk->seen(), QStringLiteral("b0 10 19"), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!surface.inputController().isEmpty(), 20000);
    desk->send("b01001", 1000);
    QTRY_COMPARE_WITH_TIMEOUT(detents, 1000, 10000);

    // Unplugged: a status line; plugged in again: connected again, and shown the values as they are now.
    surface.feedback(PC::GainRed, 2500);
    const QString gone = QStringLiteral("MIDI: %1 is gone").arg(surface.inputController());
    desk.reset();
    QTRY_VERIFY_WITH_TIMEOUT(lines.contains(gone) && surface.inputController().isEmpty(), 20000);
    desk = std::make_unique<DeskController>(api);
    QTRY_VERIFY_WITH_TIMEOUT(!surface.inputController().isEmpty(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(desk->seen(), QStringLiteral("b0 10 40"), 10000);
}

QTEST_GUILESS_MAIN(TestMidiPort)
#include "tst_midiport.moc"
