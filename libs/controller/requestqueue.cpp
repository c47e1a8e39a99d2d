#include "requestqueue.h"

#include <algorithm>

RequestQueue::Added RequestQueue::add(const UnitRequest &request)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Added added;
    added.wakeWorker = !m_working;
    m_working = true;
    if (request.kind == UnitRequest::Kind::Read) {
        m_reads.push_back(request);
        return added;
    }
    const auto same = std::find_if(m_writes.begin(), m_writes.end(),
                                   [&request](const UnitRequest &waiting) { return waiting.name == request.name; });
    if (same == m_writes.end()) {
        m_writes.push_back(request);
        return added;
    }
    added.replaced = same->id;
    same->value = request.value;
    same->id = request.id;
    return added;
}

std::optional<UnitRequest> RequestQueue::take()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::deque<UnitRequest> &from = m_writes.empty() ? m_reads : m_writes;
    if (from.empty()) {
        m_working = false;
        return std::nullopt;
    }
    UnitRequest next = std::move(from.front());
    from.pop_front();
    return next;
}

std::deque<quint64> RequestQueue::dropReads(const std::function<bool(quint64)> &pick)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::deque<quint64> ids;
    const auto kept = std::remove_if(m_reads.begin(), m_reads.end(), [&](const UnitRequest &read) {
        if (pick && !pick(read.id))
            return false;
        ids.push_back(read.id);
        return true;
    });
    m_reads.erase(kept, m_reads.end());
    return ids;
}

std::size_t RequestQueue::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_writes.size() + m_reads.size();
}
