#include "midimapfile.h"
#include "midisurface.h"
#include "parametercatalogue.h"

#include <RtMidi.h>

#include <QtTest>

#include <algorithm>
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
class Controller
{
public:
    explicit Controller(RtMidi::Api api) : m_out(api, "Desk Controller"), m_in(api, "Desk Controller")
    {
        m_in.setCallback(
            [](double, std::vector<unsigned char> *message, void *data) {
                auto *self = static_cast<Controller *>(data);
                QMutexLocker lock(&self->m_mutex);
                self->m_received.append(QByteArray(reinterpret_cast<const char *>(message->data()), int(message->size())));
            },
            this);
        m_out.openVirtualPort("out");
        m_in.openVirtualPort("in");
    }
    void send(const QByteArray &bytes)
    {
        m_out.sendMessage(reinterpret_cast<const unsigned char *>(bytes.constData()), std::size_t(bytes.size()));
    }
    QString received()
    {
        QMutexLocker lock(&m_mutex);
        QStringList list;
        for (const QByteArray &bytes : qAsConst(m_received))
            list << QString::fromLatin1(bytes.toHex(' '));
        return list.join(QLatin1String(", "));
    }

private:
    RtMidiOut m_out;
    RtMidiIn m_in;
    QMutex m_mutex;
    QList<QByteArray> m_received;
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
    QString startJack();

    std::unique_ptr<QProcess> m_jack;
};

QString TestMidiPort::startJack()
{
    const QString server = QString::fromLocal8Bit(qgetenv("JACK_DEFAULT_SERVER"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JACK_NO_AUDIO_RESERVATION"), QStringLiteral("1"));
    m_jack = std::make_unique<QProcess>();
    m_jack->setProcessEnvironment(environment);
    m_jack->setProcessChannelMode(QProcess::MergedChannels);
    // No real-time scheduling: a test machine grants none.
    m_jack->start(QStringLiteral("jackd"), {QStringLiteral("-n"), server, QStringLiteral("-r"), QStringLiteral("-d"),
                                            QStringLiteral("dummy"), QStringLiteral("-r"), QStringLiteral("48000"),
                                            QStringLiteral("-p"), QStringLiteral("256")});
    if (!m_jack->waitForStarted(10000))
        return QStringLiteral("jackd (Debian's jackd2) cannot be started: %1").arg(m_jack->errorString());
    QProcess wait;
    wait.start(QStringLiteral("jack_wait"), {QStringLiteral("-w"), QStringLiteral("-s"), server, QStringLiteral("-t"),
                                             QStringLiteral("30")});
    if (!wait.waitForFinished(40000) || wait.exitCode() != 0 || m_jack->state() != QProcess::Running)
        return QStringLiteral("jackd -d dummy did not come up: %1").arg(QString::fromLocal8Bit(m_jack->readAll()).simplified());
    return QString();
}

void TestMidiPort::initTestCase()
{
    // JACK's clients, the surface's and the test's, find the test's own server by this name.
    qputenv("JACK_DEFAULT_SERVER", QByteArrayLiteral("prismolink-test-") + QByteArray::number(QCoreApplication::applicationPid()));
}

void TestMidiPort::cleanupTestCase()
{
    if (m_jack) {
        m_jack->terminate();
        if (!m_jack->waitForFinished(10000))
            m_jack->kill();
    }
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
    if (backend == MidiPort::Backend::Alsa && !QFileInfo::exists(QStringLiteral("/dev/snd/seq")))
        QSKIP("ALSA's sequencer (/dev/snd/seq) is not available here");
    const RtMidi::Api api = backend == MidiPort::Backend::Jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;

    MidiMap map;
    QString error;
    QVERIFY(MidiMapFile::read(Map, map, error));
    MidiSurface surface(backend, map);
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
    QSignalSpy status(&surface, &MidiSurface::status);
    surface.start();
    surface.feedback(PC::GainRed, 1000);
    if (backend == MidiPort::Backend::Jack) {
        // Started before the JACK server, the ports open once it runs.
        QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty(), 20000);
        QCOMPARE(status.last().value(0).toString(), QStringLiteral("MIDI: no JACK server running"));
        const QString why = startJack();
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }
    const QString open = QStringLiteral("MIDI: ports open (%1)").arg(MidiPort::backendName(backend));
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().value(0).toString() == open, 20000);

    // Connected when it appears; it is shown the known values at once.
    auto desk = std::make_unique<Controller>(api);
    QTRY_VERIFY_WITH_TIMEOUT(!surface.inputController().isEmpty() && !surface.outputController().isEmpty(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(desk->received(), QStringLiteral("b0 10 19"), 10000);

    // An encoder turned three detents, a motor fader moved.
    for (int i = 0; i < 3; ++i)
        desk->send(QByteArray::fromHex("b01001"));
    desk->send(QByteArray::fromHex("b00764"));
    QTRY_COMPARE_WITH_TIMEOUT(asked.value(QStringLiteral("step gain/red")), 3, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(asked.value(QStringLiteral("set saturation")), 1575, 10000);
    QCOMPARE(asked.size(), 2);
    // A burst: every detent counts.
    for (int i = 0; i < 1000; ++i)
        desk->send(QByteArray::fromHex("b01001"));
    QTRY_COMPARE_WITH_TIMEOUT(asked.value(QStringLiteral("step gain/red")), 1003, 10000);

    // Feedback follows every change shown.
    surface.feedback(PC::Saturation, 1500);
    surface.feedback(PC::GainRed, 2500);
    QTRY_COMPARE_WITH_TIMEOUT(desk->received(), QStringLiteral("b0 10 19, b0 07 5f, b0 10 40"), 10000);

    // Unplugged: a status line; plugged in again: connected again.
    const QString input = surface.inputController();
    desk.reset();
    QTRY_VERIFY_WITH_TIMEOUT(surface.inputController().isEmpty(), 20000);
    QVERIFY(std::any_of(status.begin(), status.end(), [&](const QList<QVariant> &line) {
        return line.value(0).toString() == QStringLiteral("MIDI: %1 is gone").arg(input);
    }));
    desk = std::make_unique<Controller>(api);
    QTRY_VERIFY_WITH_TIMEOUT(!surface.inputController().isEmpty(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(desk->received(), QStringLiteral("b0 10 40, b0 07 5f"), 10000);
}

QTEST_GUILESS_MAIN(TestMidiPort)
#include "tst_midiport.moc"
