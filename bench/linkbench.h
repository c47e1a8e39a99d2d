#pragma once

#include "samplestats.h"

#include <QString>

#include <string>

// Sequential reads of one parameter on one connection to a simulated unit,
// by the device link and by the raw client side by side.
class LinkBench
{
public:
    struct Result
    {
        SampleStats linkMicros;    // wall time per request
        SampleStats rawMicros;
        SampleStats timeRatio;     // link / raw, run by run
        SampleStats linkCpuMicros; // the client thread's CPU time per request
        SampleStats rawCpuMicros;
        SampleStats cpuRatio;
        SampleStats linkSyscalls;  // per request
        SampleStats rawSyscalls;
        std::string linkCallMix;   // which calls make up a request
        std::string rawCallMix;
        int failures = 0;
    };

    LinkBench(std::string address, int port);

    // Runs of link and raw client take turns, so both see the same machine.
    void measureRoundTrips(int runs, int requests, Result &result) const;
    // Traces this program, started as a client of one kind, with strace.
    // Returns false (and leaves the counts empty) when strace cannot run.
    bool countSyscalls(const QString &program, int runs, int requests, Result &result) const;

    // The client side of a traced run: "link" or "raw", then the requests.
    // Returns the process exit code.
    static int runClient(const std::string &kind, const std::string &address, int port, int requests);

    // The request bytes of a read, as the device link sends them.
    static std::string readRequest(const std::string &host, const std::string &name);
    static const char *parameter();

private:
    std::string m_address;
    int m_port;
};
