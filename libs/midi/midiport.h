#pragma once

#include "midiinbox.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>
#include <optional>

class RtMidiIn;
class RtMidiOut;

// The program's MIDI ports, through RtMidi: client "Prismolink" with an input
// port "input" and an output port "output" (RtMidi opens a client for each:
// under JACK the second is renamed "Prismolink-01"). The ports wait for a
// connection made by hand until a controller whose name matches the pattern
// appears; the port list is looked at every second, as RtMidi tells of no
// changes, and a controller that vanishes costs a status line, after which
// the ports wait again.
//
// It runs on a thread of its own (opening a JACK client takes a tenth of a
// second): open, setController, scan, send and finish are called there
// (queued); messages arrive on RtMidi's thread and wait in a bounded inbox,
// which any thread may take from.
class MidiPort : public QObject
{
    Q_OBJECT

public:
    enum class Backend { Alsa, Jack, Windows };
    static const char ClientName[];
    static constexpr int ScanMs = 1000;
    // Scans between attempts to open a back end that could not be opened (JACK not running).
    static constexpr int ReopenScans = 5;

    static std::optional<Backend> backendByName(const QString &name);
    static QString backendName(Backend backend);
    // ALSA's sequencer where the system has it, else JACK; the Windows MIDI API on Windows.
    static Backend defaultBackend();

    explicit MidiPort(Backend backend, QObject *parent = nullptr);
    ~MidiPort() override;

    // The port's thread.
    void open();
    // Connects to controllers of this name pattern (see MidiMap::matches).
    void setController(const QString &pattern);
    void scan();
    void send(const QVector<QByteArray> &messages);
    // Closes the ports and ends the thread.
    void finish();

    // Any thread.
    QVector<QByteArray> take(int most) { return m_inbox.take(most); }
    bool hasMessages() const { return !m_inbox.isEmpty(); }
    quint64 dropped() const { return m_inbox.dropped(); }

Q_SIGNALS:
    // Emitted on RtMidi's thread when the inbox was empty.
    void messagesWaiting();
    // The controller's ports connected to the program's input and output (empty: none).
    void connectionsChanged(const QString &input, const QString &output);
    // The output reaches a controller: time to show it every value.
    void controllerConnected();
    void status(const QString &line);

private:
    bool create(QString *error);
    void close();
    // RtMidi's calls and threads report here.
    void noteError(bool fatal, const QString &text);
    QString takeError();
    bool follow(bool input, const QStringList &names);

    Backend m_backend;
    std::unique_ptr<RtMidiIn> m_in;
    std::unique_ptr<RtMidiOut> m_out;
    MidiInbox m_inbox;
    QString m_pattern;
    QString m_inputName;
    QString m_outputName;
    QTimer m_scanTimer;
    int m_scansClosed = 0;
    QMutex m_errorMutex;
    QString m_error;
};
