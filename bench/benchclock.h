#pragma once

#include <QtGlobal>

#include <chrono>

// The one clock of the benchmark, read alike on the window's thread, the
// simulated units' thread and the panel stand-in's thread.
namespace BenchClock {

inline qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double millis(qint64 fromNs, qint64 toNs)
{
    return static_cast<double>(toNs - fromNs) / 1e6;
}

} // namespace BenchClock
