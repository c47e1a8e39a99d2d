#include "eventloopprobe.h"

#include "benchclock.h"

#include <algorithm>

EventLoopProbe::EventLoopProbe(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(IntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &EventLoopProbe::tick);
}

void EventLoopProbe::start()
{
    m_longestGapNs = 0;
    m_lastTickNs = BenchClock::nowNs();
    m_timer.start();
}

void EventLoopProbe::stop()
{
    if (m_timer.isActive())
        tick();
    m_timer.stop();
}

double EventLoopProbe::longestStallMs() const
{
    const qint64 current = m_timer.isActive() ? BenchClock::nowNs() - m_lastTickNs : 0;
    const double gapMs = static_cast<double>(std::max(m_longestGapNs, current)) / 1e6;
    return std::max(0.0, gapMs - IntervalMs);
}

void EventLoopProbe::tick()
{
    const qint64 now = BenchClock::nowNs();
    m_longestGapNs = std::max(m_longestGapNs, now - m_lastTickNs);
    m_lastTickNs = now;
}
