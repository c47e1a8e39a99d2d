#pragma once

#include "samplestats.h"

#include <QString>

class ArrivalTally;
class QProcess;
class RequestWatch;
class SimulatorRig;

// The program itself, started offscreen as a user starts it, against the
// first unit of a simulated rig: time to an identified window, CPU use while
// it sits idle, and its peak memory.
class StartupBench
{
public:
    struct Result
    {
        SampleStats startupMillis;
        SampleStats idleCpuPercent; // of one core
        SampleStats peakMegabytes;
        int failures = 0;
    };

    StartupBench(SimulatorRig &rig, RequestWatch &watch, QString program);

    void measureStartup(int runs, Result &result);
    void measureIdle(int runs, int seconds, Result &result);

private:
    // Starts the program in a fresh home of its own and waits until its
    // window is up and it identified the unit; returns the time taken in ms,
    // or a negative number on failure.
    double start(QProcess &process, const QString &home);
    // Waits until the program read the unit's channel a second time: the
    // first periodic read-back after start-up has begun.
    bool waitForReadBack(QProcess &process);
    static void stop(QProcess &process);
    // Counts the reads of a channel the first unit receives.
    ArrivalTally channelReads() const;

    SimulatorRig &m_rig;
    RequestWatch &m_watch;
    QString m_program;
};
