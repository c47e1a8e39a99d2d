#include "oscbudget.h"

#include <algorithm>

bool OscBudget::Allowance::fill(int perSecond, qint64 nowMs)
{
    const double most = perSecond / 2.0;
    left = std::min(most, left + double(std::max<qint64>(0, nowMs - atMs)) * perSecond / 1000.0);
    atMs = nowMs;
    return left >= most;
}

OscBudget::Allowance *OscBudget::senderAllowance(const QHostAddress &sender, qint64 nowMs)
{
    const auto found = m_senders.find(sender);
    if (found != m_senders.end())
        return &found.value();
    if (m_senders.size() >= SendersKept) {
        // A full allowance is the same as none kept.
        for (auto it = m_senders.begin(); it != m_senders.end();)
            it = it.value().fill(PerSenderPerSecond, nowMs) ? m_senders.erase(it) : std::next(it);
        if (m_senders.size() >= SendersKept)
            return nullptr;
    }
    return &m_senders.insert(sender, Allowance{PerSenderPerSecond / 2.0, nowMs}).value();
}

bool OscBudget::take(const QHostAddress &sender, int cost, qint64 nowMs)
{
    m_all.fill(AllPerSecond, nowMs);
    Allowance *own = senderAllowance(sender, nowMs);
    if (own)
        own->fill(PerSenderPerSecond, nowMs);
    if (m_all.left < cost || (own && own->left < cost))
        return false;
    m_all.left -= cost;
    if (own)
        own->left -= cost;
    return true;
}

bool OscBudget::spent(const QHostAddress &sender, qint64 nowMs)
{
    m_all.fill(AllPerSecond, nowMs);
    if (m_all.left < 1)
        return true;
    const auto found = m_senders.find(sender);
    return found != m_senders.end() && !found.value().fill(PerSenderPerSecond, nowMs) && found.value().left < 1;
}
