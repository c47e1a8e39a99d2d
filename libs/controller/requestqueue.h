#pragma once

#include "unitrequest.h"


#include <deque>
#include <functional>
#include <mutex>
#include <optional>

// The requests waiting for one unit, shared by the window's thread, which
// adds them, and the unit's worker thread, which takes them one at a time.
//
// Writes are taken before waiting reads, each kind in the order it came. A
// write of a parameter whose earlier write is still waiting replaces that
// one's value in its place, so a unit slower than the hand skips positions
// but always ends on the last.
class RequestQueue
{
public:
    struct Added
    {
        quint64 replaced = 0; // the id of the waiting write it took the place of
        bool wakeWorker = false; // the worker is not at work: post it a drain
    };

    Added add(const UnitRequest &request);
    // The next request; none when the queue is empty, and then the worker is
    // counted as resting, so the next add() wakes it.
    std::optional<UnitRequest> take();
    // Drops the waiting reads the function picks by id (all without one); returns their ids.
    std::deque<quint64> dropReads(const std::function<bool(quint64)> &pick = {});
    std::size_t size() const;

private:
    mutable std::mutex m_mutex;
    std::deque<UnitRequest> m_writes;
    std::deque<UnitRequest> m_reads;
    bool m_working = false;
};
