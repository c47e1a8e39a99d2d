#pragma once

#include <optional>
#include <string>

// What the system counts for a running process: its CPU time and its peak
// resident memory, read from /proc.
class ProcessUsage
{
public:
    struct Sample
    {
        double cpuSeconds = 0; // user and system time of all its threads
        long peakKilobytes = 0;
    };

    static std::optional<Sample> of(long pid);

    // User plus system time, in clock ticks, from the text of /proc/<pid>/stat.
    static std::optional<long long> cpuTicksFromStat(const std::string &stat);
    // VmHWM, in kilobytes, from the text of /proc/<pid>/status.
    static std::optional<long> peakKilobytesFromStatus(const std::string &status);
};
