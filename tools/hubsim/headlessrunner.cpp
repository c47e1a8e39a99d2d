#include "headlessrunner.h"

#include "hubserver.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
int readBytes(int fd, char *buffer, unsigned size)
{
#ifdef Q_OS_WIN
    return _read(fd, buffer, size);
#else
    return int(::read(fd, buffer, size));
#endif
}
} // namespace

HeadlessRunner::HeadlessRunner(HubServer &server, int inputFd, FILE *output, FILE *log, QObject *parent)
    : QObject(parent), m_server(server), m_script(server), m_inputFd(inputFd), m_output(output),
      m_waitTimer(new QTimer(this))
{
    m_waitTimer->setSingleShot(true);
    connect(m_waitTimer, &QTimer::timeout, this, [this] {
        if (m_waitForProgram)
            endWait(false, QStringLiteral("no program announced itself in time"));
        else
            endWait(true);
    });
    connect(&m_server, &HubServer::programAnnounced, this, [this] {
        if (m_waiting && m_waitForProgram)
            endWait(true);
    });
    connect(&m_server, &HubServer::logMessage, this, [log](const QString &text) {
        std::fprintf(log, "hub: %s\n", text.toUtf8().constData());
        std::fflush(log);
    });
    if (m_inputFd >= 0) {
#ifdef Q_OS_WIN
        // Windows has no notifier for a console or a pipe: the script is read
        // whole once the event loop runs.
        QTimer::singleShot(0, this, [this] {
            while (!m_inputEnded)
                readInput();
        });
#else
        m_notifier = new QSocketNotifier(m_inputFd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &HeadlessRunner::readInput);
#endif
    }
}

void HeadlessRunner::feed(const QString &lines)
{
    m_queue.append(lines.split(QLatin1Char('\n')));
    runQueue();
}

void HeadlessRunner::readInput()
{
    char buffer[4096];
    const int count = readBytes(m_inputFd, buffer, sizeof buffer);
    if (count <= 0) {
        if (m_notifier)
            m_notifier->setEnabled(false);
        m_inputEnded = true;
        if (!m_partial.isEmpty())
            m_queue.append(QString::fromUtf8(m_partial));
        m_partial.clear();
        runQueue();
        return;
    }
    m_partial.append(buffer, int(count));
    int end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        m_queue.append(QString::fromUtf8(m_partial.left(end)));
        m_partial.remove(0, end + 1);
    }
    runQueue();
}

void HeadlessRunner::runQueue()
{
    while (!m_waiting && !m_queue.isEmpty()) {
        const HubScript::Result result = m_script.execute(m_queue.takeFirst());
        switch (result.kind) {
        case HubScript::Result::Skip:
            break;
        case HubScript::Result::Done:
            write(result.output);
            break;
        case HubScript::Result::Quit:
            write(result.output);
            m_queue.clear();
            m_inputEnded = true;
            if (m_notifier)
                m_notifier->setEnabled(false);
            break;
        case HubScript::Result::WaitForProgram:
            if (!m_server.applicationName().isEmpty() && m_server.hasClient()) {
                write({QStringLiteral("ok")});
                break;
            }
            m_waiting = true;
            m_waitForProgram = true;
            m_waitTimer->start(result.milliseconds);
            break;
        case HubScript::Result::Sleep:
            m_waiting = true;
            m_waitForProgram = false;
            m_waitTimer->start(result.milliseconds);
            break;
        }
    }
    if (!m_waiting && m_queue.isEmpty() && m_inputEnded)
        Q_EMIT finished();
}

void HeadlessRunner::endWait(bool ok, const QString &error)
{
    m_waitTimer->stop();
    m_waiting = false;
    m_waitForProgram = false;
    write({ok ? QStringLiteral("ok") : QStringLiteral("error: %1").arg(error)});
    // Out of the signal that ended the wait before running further commands.
    QTimer::singleShot(0, this, &HeadlessRunner::runQueue);
}

void HeadlessRunner::write(const QStringList &lines)
{
    for (const QString &line : lines)
        std::fprintf(m_output, "%s\n", line.toUtf8().constData());
    std::fflush(m_output);
}
