#pragma once

#include <functional>

// Waits for a condition while the calling thread's event loop goes on, so
// that the window under measurement keeps working while the benchmark waits
// for it. The condition is checked each time the loop has worked through
// its events, and every PollMs for conditions that other threads make true.
class ConditionWait
{
public:
    static constexpr int PollMs = 2;
    // What a measure waits at most. Generous: a loaded machine is slow, and
    // a measure that fails says so.
    static constexpr int MeasureTimeoutMs = 30000;

    // True once the condition holds; false when the time-out passed first.
    static bool until(const std::function<bool()> &condition, int timeoutMs);
};
