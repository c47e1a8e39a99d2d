#include "midisurface.h"
#include "midilog.h"

#include <QThread>

MidiSurface::MidiSurface(MidiPort::Backend backend, const MidiMap &map, QObject *parent)
    : QObject(parent), m_thread(std::make_unique<QThread>()), m_port(std::make_unique<MidiPort>(backend)),
      m_engine(map)
{
    m_clock.start();
    m_thread->setObjectName(QStringLiteral("midi"));
    m_port->setController(map.controller);
    m_port->moveToThread(m_thread.get());
    m_pairTimer.setSingleShot(true);
    m_pairTimer.setInterval(PairWaitMs);
    m_learnTimer.setSingleShot(true);
    m_learnTimer.setInterval(LearnQuietMs);
    connect(m_port.get(), &MidiPort::messagesWaiting, this, &MidiSurface::work);
    connect(m_port.get(), &MidiPort::status, this, &MidiSurface::status);
    connect(m_port.get(), &MidiPort::connectionsChanged, this, [this](const QString &input, const QString &output) {
        m_input = input;
        m_output = output;
    });
    connect(m_port.get(), &MidiPort::controllerConnected, this, [this] { send(m_engine.allFeedback(m_clock.elapsed())); });
    connect(&m_pairTimer, &QTimer::timeout, this, [this] {
        m_engine.flush(m_clock.elapsed());
        emitIntents();
    });
    connect(&m_learnTimer, &QTimer::timeout, this, [this] {
        m_engine.finishLearn();
        emitIntents();
    });
}

MidiSurface::~MidiSurface()
{
    if (m_thread->isRunning()) {
        QMetaObject::invokeMethod(m_port.get(), &MidiPort::finish, Qt::QueuedConnection);
        m_thread->wait();
    }
}

void MidiSurface::start()
{
    m_thread->start();
    QMetaObject::invokeMethod(m_port.get(), &MidiPort::open, Qt::QueuedConnection);
}

void MidiSurface::setMap(const MidiMap &map)
{
    m_engine.setMap(map);
    MidiPort *port = m_port.get();
    QMetaObject::invokeMethod(
        port,
        [port, pattern = map.controller] {
            port->setController(pattern);
            port->scan();
        },
        Qt::QueuedConnection);
    send(m_engine.allFeedback(m_clock.elapsed()));
}

void MidiSurface::work()
{
    m_scheduled = false;
    const QVector<QByteArray> messages = m_port->take(Portion);
    QVector<MidiMessage> decoded;
    for (const QByteArray &bytes : messages)
        m_decoder.feed(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size(), decoded);
    const qint64 now = m_clock.elapsed();
    for (const MidiMessage &message : decoded)
        m_engine.feed(message, now);
    if (m_engine.learning() && !decoded.isEmpty())
        m_learnTimer.start();
    if (m_engine.waiting())
        m_pairTimer.start();
    emitIntents();
    const quint64 dropped = m_port->dropped();
    if (dropped > m_droppedLogged && (m_droppedLogMs < 0 || now - m_droppedLogMs >= 1000)) {
        qCWarning(lcMidi).noquote() << QStringLiteral("MIDI: %1 messages dropped (a flood, or system exclusive data)")
                                           .arg(dropped - m_droppedLogged);
        m_droppedLogged = dropped;
        m_droppedLogMs = now;
    }
    // A burst is worked off a portion at a time, between the window's own events.
    if (m_port->hasMessages() && !m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(0, this, &MidiSurface::work);
    }
}

void MidiSurface::emitIntents()
{
    if (const std::optional<MidiMapping> mapping = m_engine.takeLearned()) {
        m_learnTimer.stop();
        Q_EMIT learned(*mapping);
    }
    const QVector<MidiIntent> list = m_engine.takeIntents();
    if (!list.isEmpty())
        Q_EMIT intents(list);
}

void MidiSurface::feedback(int slot, int value)
{
    send(m_engine.feedback(slot, value, m_clock.elapsed()));
}

void MidiSurface::placeChanged()
{
    m_engine.placeChanged();
}

bool MidiSurface::startLearn(const QString &parameter)
{
    return m_engine.startLearn(parameter);
}

void MidiSurface::cancelLearn()
{
    m_learnTimer.stop();
    m_engine.cancelLearn();
}

void MidiSurface::send(const QVector<QByteArray> &messages)
{
    if (messages.isEmpty())
        return;
    MidiPort *port = m_port.get();
    QMetaObject::invokeMethod(port, [port, messages] { port->send(messages); }, Qt::QueuedConnection);
}
