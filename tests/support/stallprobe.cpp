#include "stallprobe.h"

#include <algorithm>

StallProbe::StallProbe(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(10);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &StallProbe::tick);
}

void StallProbe::start()
{
    m_longestMs = 0;
    m_sinceTick.start();
    m_timer.start();
}

qint64 StallProbe::longestGapMs() const
{
    // A stall still going on counts too.
    return std::max(m_longestMs, m_sinceTick.isValid() ? m_sinceTick.elapsed() : 0);
}

void StallProbe::tick()
{
    m_longestMs = std::max(m_longestMs, m_sinceTick.restart());
}
