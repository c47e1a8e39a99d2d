#include "linkbench.h"

#include "parametercatalogue.h"
#include "rawclient.h"
#include "stracesummary.h"
#include "tavirestconfigcontrol.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <ctime>
#include <utility>
#include <vector>

namespace {

constexpr int WarmUpRequests = 100;

double threadCpuMicros()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double wallMicros()
{
    using namespace std::chrono;
    return static_cast<double>(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count()) / 1e3;
}

struct Timing
{
    double micros = 0;
    double cpuMicros = 0;
    int failures = 0;
};

// Times 'requests' calls of one request after a warm-up; the request
// returns false when it failed.
template <typename Request> Timing timeRequests(int requests, Request &&request)
{
    Timing timing;
    for (int i = 0; i < WarmUpRequests; ++i)
        timing.failures += request() ? 0 : 1;
    const double wallStart = wallMicros();
    const double cpuStart = threadCpuMicros();
    for (int i = 0; i < requests; ++i)
        timing.failures += request() ? 0 : 1;
    timing.cpuMicros = (threadCpuMicros() - cpuStart) / requests;
    timing.micros = (wallMicros() - wallStart) / requests;
    return timing;
}

Timing timeLink(const std::string &address, int port, int requests)
{
    TAVIRESTConfigControl link(address, port, "config");
    if (!link.Connect())
        return Timing{0, 0, requests};
    std::string value;
    return timeRequests(requests, [&] { return link.GetParam(LinkBench::parameter(), value, "text-plain"); });
}

Timing timeRaw(const std::string &address, int port, int requests)
{
    RawClient raw;
    if (!raw.connectTo(address, port))
        return Timing{0, 0, requests};
    const std::string request = LinkBench::readRequest(address, LinkBench::parameter());
    return timeRequests(requests, [&] { return raw.exchange(request) > 0; });
}

} // namespace

LinkBench::LinkBench(std::string address, int port)
    : m_address(std::move(address))
    , m_port(port)
{
}

const char *LinkBench::parameter()
{
    return ParameterCatalogue::parameterName(1, ParameterCatalogue::GainRed);
}

std::string LinkBench::readRequest(const std::string &host, const std::string &name)
{
    return "GET /config?action=get&configid=0&paramid=" + name + "&alt=text-plain HTTP/1.1\r\nHost: " + host
        + "\r\nConnection: keep-alive\r\nContent-type: application/x-www-form-urlencoded\r\nContent-length: 0\r\n\r\n";
}

void LinkBench::measureRoundTrips(int runs, int requests, Result &result) const
{
    std::vector<double> link, raw, ratio, linkCpu, rawCpu, cpuRatio;
    for (int run = 0; run < runs; ++run) {
        const Timing l = timeLink(m_address, m_port, requests);
        const Timing r = timeRaw(m_address, m_port, requests);
        result.failures += l.failures + r.failures;
        link.push_back(l.micros);
        raw.push_back(r.micros);
        ratio.push_back(l.micros / r.micros);
        linkCpu.push_back(l.cpuMicros);
        rawCpu.push_back(r.cpuMicros);
        cpuRatio.push_back(l.cpuMicros / r.cpuMicros);
    }
    result.linkMicros = SampleStats(link);
    result.rawMicros = SampleStats(raw);
    result.timeRatio = SampleStats(ratio);
    result.linkCpuMicros = SampleStats(linkCpu);
    result.rawCpuMicros = SampleStats(rawCpu);
    result.cpuRatio = SampleStats(cpuRatio);
}

bool LinkBench::countSyscalls(const QString &program, int runs, int requests, Result &result) const
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    QTemporaryDir folder;
    if (strace.isEmpty() || !folder.isValid())
        return false;

    // One traced run of a client; its summary, or nothing when it failed.
    const auto trace = [&](const char *kind, int count, StraceSummary &summary) {
        const QString output = folder.filePath(QStringLiteral("summary.txt"));
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(strace, {QStringLiteral("-c"), QStringLiteral("-o"), output, program, QStringLiteral("--client"),
                               QString::fromLatin1(kind), QString::fromStdString(m_address), QString::number(m_port),
                               QString::number(count)});
        if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return false;
        QFile file(output);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        summary = StraceSummary::parse(file.readAll().toStdString());
        return summary.total() > 0;
    };

    for (const char *kind : {"link", "raw"}) {
        std::vector<double> perRequest;
        std::string mix;
        for (int run = 0; run < runs; ++run) {
            StraceSummary shorter, longer;
            if (!trace(kind, requests, shorter) || !trace(kind, 2 * requests, longer))
                return false;
            perRequest.push_back(static_cast<double>(longer.total() - shorter.total()) / requests);
            mix = StraceSummary::perUnit(shorter, longer, requests);
        }
        const bool isLink = std::string(kind) == "link";
        (isLink ? result.linkSyscalls : result.rawSyscalls) = SampleStats(perRequest);
        (isLink ? result.linkCallMix : result.rawCallMix) = mix;
    }
    return true;
}

int LinkBench::runClient(const std::string &kind, const std::string &address, int port, int requests)
{
    Timing timing;
    if (kind == "link")
        timing = timeLink(address, port, requests);
    else if (kind == "raw")
        timing = timeRaw(address, port, requests);
    else
        return 2;
    return timing.failures == 0 ? 0 : 1;
}
