#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

// Measures how long the event loop of its thread stood still from its
// creation on: a timer ticks every 10 ms, and the longest gap between two
// ticks is kept. Work that blocks the thread delays the next tick by as much.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setInterval(10);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_longestMs = std::max(m_longestMs, m_sinceTick.restart()); });
        m_sinceTick.start();
        m_timer.start();
    }

    // The longest gap so far, a stall still going on included.
    qint64 longestGapMs() const { return std::max(m_longestMs, m_sinceTick.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestMs = 0;
};
