#pragma once

#include "mididecoder.h"
#include "midiengine.h"
#include "midiport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class QThread;

// A MIDI controller as an input of the program: the port's messages,
// decoded and mapped, come out as intents, a portion at a time so that a
// burst never holds up the event loop; the values the program shows go back
// to the controller's mapped controls. The owner hands the intents to the
// controller and tells the surface every value shown and every switch of
// channel or unit. The port runs on a thread of its own.
class MidiSurface : public QObject
{
    Q_OBJECT

public:
    // Messages worked at one go before the event loop gets its turn again.
    static constexpr int Portion = 256;
    // How long a 14-bit pair's high half waits for its low half.
    static constexpr int PairWaitMs = 20;
    // Learning decides this long after the last message of the control moved.
    static constexpr int LearnQuietMs = 400;

    MidiSurface(MidiPort::Backend backend, const MidiMap &map, QObject *parent = nullptr);
    // Closes the ports and waits for the port's thread.
    ~MidiSurface() override;

    // Opens the ports; status tells how it went. A back end that cannot be
    // had (JACK not running) is tried again now and then.
    void start();

    const MidiMap &map() const { return m_engine.map(); }
    void setMap(const MidiMap &map);
    // The controller's ports connected to the program's (empty: none).
    QString inputController() const { return m_input; }
    QString outputController() const { return m_output; }

    // The parameter in `slot` shows `value` now, whoever changed it.
    void feedback(int slot, int value);
    // Another channel or unit is shown.
    void placeChanged();

    bool startLearn(const QString &parameter);
    void cancelLearn();
    bool learning() const { return m_engine.learning(); }

Q_SIGNALS:
    void intents(const QVector<MidiIntent> &intents);
    // A control was learned; the map holds it now.
    void learned(const MidiMapping &mapping);
    void status(const QString &line);

private:
    void work();
    void emitIntents();
    void send(const QVector<QByteArray> &messages);

    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<MidiPort> m_port; // lives on m_thread
    MidiDecoder m_decoder;
    MidiEngine m_engine;
    QElapsedTimer m_clock;
    QTimer m_pairTimer;
    QTimer m_learnTimer;
    bool m_scheduled = false;
    QString m_input;
    QString m_output;
    // Messages the inbox dropped, told in the log at most once a second.
    quint64 m_droppedLogged = 0;
    qint64 m_droppedLogMs = -1;
};
