#include "knobturner.h"

#include "benchclock.h"
#include "hubserver.h"

#include <QMutexLocker>

KnobTurner::KnobTurner(HubServer &server, QObject *parent) : QObject(parent), m_server(server), m_timer(this)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &KnobTurner::detent);
    connect(&server, &HubServer::displayChanged, this, &KnobTurner::displayChanged);
    connect(&server, &HubServer::programAnnounced, this, [this] {
        QMutexLocker lock(&m_mutex);
        m_announced = true;
    });
    connect(&server, &HubServer::clientDisconnected, this, [this] {
        QMutexLocker lock(&m_mutex);
        m_announced = false;
    });
}

KnobTurner::Progress KnobTurner::progress() const
{
    QMutexLocker lock(&m_mutex);
    return m_progress;
}

bool KnobTurner::programAnnounced() const
{
    QMutexLocker lock(&m_mutex);
    return m_announced;
}

bool KnobTurner::isShown(const DisplayCell &cell) const
{
    QMutexLocker lock(&m_mutex);
    return cell.line < m_lines.size() && cell.isShownOn(m_lines[cell.line]);
}

void KnobTurner::turn(quint32 encoderId, float increment, int intervalMs, const QVector<DisplayCell> &cells)
{
    m_encoderId = encoderId;
    m_increment = increment;
    m_cells = cells;
    {
        QMutexLocker lock(&m_mutex);
        m_progress = Progress();
        m_progress.shownNs.assign(std::size_t(cells.size()), 0);
    }
    if (cells.isEmpty())
        return;
    m_timer.start(intervalMs);
    detent();
}

void KnobTurner::detent()
{
    QMutexLocker lock(&m_mutex);
    m_progress.sentNs.push_back(BenchClock::nowNs());
    if (m_progress.sentNs.size() >= std::size_t(m_cells.size()))
        m_timer.stop();
    lock.unlock();
    m_server.turnEncoder(m_encoderId, m_increment);
}

// The detents sent so far, up to the latest whose value the display shows
// now, count as shown.
void KnobTurner::displayChanged()
{
    const qint64 now = BenchClock::nowNs();
    QMutexLocker lock(&m_mutex);
    for (int line = 0; line < int(m_lines.size()); ++line)
        m_lines[std::size_t(line)] = m_server.display().line(line);
    const int sent = int(m_progress.sentNs.size());
    for (int i = sent - 1; i >= 0; --i) {
        const DisplayCell &cell = m_cells[i];
        if (cell.line >= m_lines.size() || !cell.isShownOn(m_lines[cell.line]))
            continue;
        for (int j = 0; j <= i; ++j) {
            if (m_progress.shownNs[std::size_t(j)] == 0)
                m_progress.shownNs[std::size_t(j)] = now;
        }
        break;
    }
}
