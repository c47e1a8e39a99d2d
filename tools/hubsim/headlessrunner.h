#pragma once

#include "hubscript.h"

#include <QObject>
#include <QStringList>

#include <cstdio>

class HubServer;
class QSocketNotifier;
class QTimer;

// Runs the simulator without a window: reads script commands (see HubScript)
// from a file descriptor, normally standard input, one per line, answers them
// on an output stream and writes the hub's log to another. A "wait" or
// "sleep" holds back the following commands until it ends. At the end of the
// input, once every command has run, the application quits.
class HeadlessRunner : public QObject
{
    Q_OBJECT

public:
    HeadlessRunner(HubServer &server, int inputFd, FILE *output, FILE *log, QObject *parent = nullptr);

    // Runs commands as if they had been read (for tests and start-up scripts).
    void feed(const QString &lines);

Q_SIGNALS:
    void finished();

private:
    void readInput();
    void runQueue();
    void endWait(bool ok, const QString &error = QString());
    void write(const QStringList &lines);

    HubServer &m_server;
    HubScript m_script;
    int m_inputFd;
    FILE *m_output;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_waitTimer;
    QByteArray m_partial;
    QStringList m_queue;
    bool m_waiting = false;
    bool m_waitForProgram = false;
    bool m_inputEnded = false;
};
