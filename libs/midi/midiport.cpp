#include "midiport.h"
#include "midilog.h"

#include "midimap.h"

#include <RtMidi.h>

#include <QFileInfo>
#include <QMutexLocker>
#include <QThread>

const char MidiPort::ClientName[] = "Prismolink";

namespace {
const char InputPort[] = "input";
const char OutputPort[] = "output";

RtMidi::Api api(MidiPort::Backend backend)
{
    switch (backend) {
    case MidiPort::Backend::Alsa: return RtMidi::LINUX_ALSA;
    case MidiPort::Backend::Jack: return RtMidi::UNIX_JACK;
    case MidiPort::Backend::Windows: return RtMidi::WINDOWS_MM;
    }
    return RtMidi::UNSPECIFIED;
}

QStringList portNames(RtMidi &midi)
{
    QStringList names;
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        names.append(QString::fromStdString(midi.getPortName(i)));
    return names;
}
} // namespace

std::optional<MidiPort::Backend> MidiPort::backendByName(const QString &name)
{
    for (Backend backend : {Backend::Alsa, Backend::Jack, Backend::Windows}) {
        if (name == backendName(backend))
            return backend;
    }
    return std::nullopt;
}

QString MidiPort::backendName(Backend backend)
{
    switch (backend) {
    case Backend::Alsa: return QStringLiteral("alsa");
    case Backend::Jack: return QStringLiteral("jack");
    case Backend::Windows: return QStringLiteral("windows");
    }
    return QString();
}

MidiPort::Backend MidiPort::defaultBackend()
{
#ifdef Q_OS_WIN
    return Backend::Windows;
#else
    return QFileInfo::exists(QStringLiteral("/dev/snd/seq")) ? Backend::Alsa : Backend::Jack;
#endif
}

MidiPort::MidiPort(Backend backend, QObject *parent) : QObject(parent), m_backend(backend), m_scanTimer(this)
{
    m_scanTimer.setInterval(ScanMs);
    connect(&m_scanTimer, &QTimer::timeout, this, &MidiPort::scan);
}

MidiPort::~MidiPort()
{
    // RtMidi's threads stop before the inbox they write to goes.
    close();
}

void MidiPort::open()
{
    m_scanTimer.start();
    QString why;
    if (!create(&why)) {
        qCWarning(lcMidi).noquote() << "MIDI:" << why;
        Q_EMIT status(QStringLiteral("MIDI: %1").arg(why));
        return;
    }
    Q_EMIT status(QStringLiteral("MIDI: ports open (%1)").arg(backendName(m_backend)));
    scan();
}

void MidiPort::finish()
{
    m_scanTimer.stop();
    close();
    thread()->quit();
}

bool MidiPort::create(QString *error)
{
    try {
        m_in = std::make_unique<RtMidiIn>(api(m_backend), ClientName);
        m_out = std::make_unique<RtMidiOut>(api(m_backend), ClientName);
    } catch (const RtMidiError &e) {
        close();
        *error = QString::fromStdString(e.getMessage()).trimmed();
        return false;
    }
    const auto report = [](RtMidiError::Type type, const std::string &text, void *port) {
        const bool fatal = type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING;
        static_cast<MidiPort *>(port)->noteError(fatal, QString::fromStdString(text).trimmed());
    };
    m_in->setErrorCallback(report, this);
    m_out->setErrorCallback(report, this);
    takeError();
    m_in->ignoreTypes(true, true, true);
    m_in->setCallback(
        [](double, std::vector<unsigned char> *message, void *data) {
            auto *port = static_cast<MidiPort *>(data);
            if (port->m_inbox.put(message->data(), message->size()))
                Q_EMIT port->messagesWaiting();
        },
        this);
    // The Windows MIDI API has no ports of the program's own: it only connects.
    if (m_backend != Backend::Windows) {
        m_in->openVirtualPort(InputPort);
        m_out->openVirtualPort(OutputPort);
    }
    const QString fault = takeError();
    if (!fault.isEmpty()) {
        close();
        *error = m_backend == Backend::Jack ? QStringLiteral("no JACK server running") : fault;
        return false;
    }
    return true;
}

void MidiPort::close()
{
    m_in.reset();
    m_out.reset();
    if (!m_inputName.isEmpty() || !m_outputName.isEmpty()) {
        m_inputName.clear();
        m_outputName.clear();
        Q_EMIT connectionsChanged(QString(), QString());
    }
}

void MidiPort::noteError(bool fatal, const QString &text)
{
    if (!fatal) {
        qCDebug(lcMidi).noquote() << "MIDI:" << text;
        return;
    }
    QMutexLocker lock(&m_errorMutex);
    m_error = text;
}

QString MidiPort::takeError()
{
    QMutexLocker lock(&m_errorMutex);
    return std::exchange(m_error, QString());
}

void MidiPort::setController(const QString &pattern)
{
    m_pattern = pattern;
}

void MidiPort::scan()
{
    if (!m_in) {
        // A back end that could not be opened (JACK started later) is tried again now and then.
        if (++m_scansClosed < ReopenScans)
            return;
        m_scansClosed = 0;
        QString why;
        if (create(&why)) {
            Q_EMIT status(QStringLiteral("MIDI: ports open (%1)").arg(backendName(m_backend)));
        } else {
            qCDebug(lcMidi).noquote() << "MIDI:" << why;
            return;
        }
    }
    const bool input = follow(true, portNames(*m_in));
    const bool output = follow(false, portNames(*m_out));
    if (input || output)
        Q_EMIT connectionsChanged(m_inputName, m_outputName);
    if (output && !m_outputName.isEmpty())
        Q_EMIT controllerConnected();
}

// Whether the connection of the input or the output changed.
bool MidiPort::follow(bool input, const QStringList &names)
{
    QString &connected = input ? m_inputName : m_outputName;
    RtMidi &midi = input ? static_cast<RtMidi &>(*m_in) : static_cast<RtMidi &>(*m_out);
    const char *portName = input ? InputPort : OutputPort;
    bool changed = false;
    if (!connected.isEmpty()) {
        const bool present = names.contains(connected);
        if (present && MidiMap::matches(m_pattern, connected))
            return false;
        // Gone, or no longer the controller the mapping names.
        const QString line = (present ? QStringLiteral("MIDI: left %1") : QStringLiteral("MIDI: %1 is gone")).arg(connected);
        qCInfo(lcMidi).noquote() << line;
        Q_EMIT status(line);
        connected.clear();
        changed = true;
        midi.closePort();
        if (m_backend != Backend::Windows)
            midi.openVirtualPort(portName);
    }
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].startsWith(QLatin1String(ClientName)) || !MidiMap::matches(m_pattern, names[i]))
            continue;
        midi.closePort();
        midi.openPort(unsigned(i), portName);
        const QString fault = takeError();
        if (!fault.isEmpty()) {
            qCWarning(lcMidi).noquote() << "MIDI: cannot connect to" << names[i] << fault;
            if (m_backend != Backend::Windows)
                midi.openVirtualPort(portName);
            return changed;
        }
        connected = names[i];
        qCInfo(lcMidi).noquote() << "MIDI:" << (input ? "reading" : "sending to") << connected;
        Q_EMIT status(input ? QStringLiteral("MIDI: reading %1").arg(connected)
                            : QStringLiteral("MIDI: sending to %1").arg(connected));
        return true;
    }
    return changed;
}

void MidiPort::send(const QVector<QByteArray> &messages)
{
    if (!m_out)
        return;
    for (const QByteArray &message : messages)
        m_out->sendMessage(reinterpret_cast<const unsigned char *>(message.constData()), std::size_t(message.size()));
}
