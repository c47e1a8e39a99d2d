#include "startupbench.h"

#include "processusage.h"
#include "simulatorrig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <vector>

namespace {

constexpr int StartTimeoutMs = 20000;

// A port on which nothing listens, so the program looks for a Tangent Hub
// in vain, as it does on a machine without a panel.
quint16 unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void waitWhileReading(QProcess &process, int millis)
{
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
    process.readAll();
}

} // namespace

StartupBench::StartupBench(SimulatorRig &rig, QString program)
    : m_rig(rig)
    , m_program(std::move(program))
{
}

double StartupBench::start(QProcess &process, const QString &home)
{
    const QString unit = m_rig.config().units[0].address;
    QDir(home).mkpath(QStringLiteral("config/tavi"));
    QDir(home).mkpath(QStringLiteral("tmp"));
    QFile settings(home + QStringLiteral("/config/tavi/PrismoRest.conf"));
    if (!settings.open(QIODevice::WriteOnly))
        return -1;
    settings.write("[General]\nIPAddress=" + unit.toLatin1() + "\n");
    settings.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("TMPDIR"), home + QStringLiteral("/tmp")); // the single-instance lock
    environment.insert(QStringLiteral("PRISMOLINK_DEVICE_PORT"), QString::number(m_rig.port()));
    environment.insert(QStringLiteral("PRISMOLINK_HUB_PORT"), QString::number(unusedPort()));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    m_rig.clearRequestLog();

    // The program reports that it started once its window is shown, which
    // is after the unit at the saved address has been identified.
    QElapsedTimer timer;
    timer.start();
    process.start(m_program, QStringList());
    QByteArray output;
    while (!output.contains(" started") && timer.elapsed() < StartTimeoutMs) {
        if (!process.waitForReadyRead(StartTimeoutMs))
            break;
        output += process.readAll();
    }
    const double millis = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const QString identified = unit + QStringLiteral(" GET /config?action=get&configid=0&paramid=eParamID_SystemName");
    bool sawIdentification = false;
    for (const QString &line : m_rig.requestLog())
        sawIdentification = sawIdentification || line.startsWith(identified);
    return output.contains(" started") && sawIdentification ? millis : -1;
}

void StartupBench::stop(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(10000);
    }
}

void StartupBench::measureStartup(int runs, Result &result)
{
    std::vector<double> millis;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir home;
        QProcess process;
        const double taken = start(process, home.path());
        if (taken < 0)
            ++result.failures;
        else
            millis.push_back(taken);
        stop(process);
    }
    result.startupMillis = SampleStats(millis);
}

void StartupBench::measureIdle(int runs, int seconds, Result &result)
{
    std::vector<double> percent, megabytes;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir home;
        QProcess process;
        if (start(process, home.path()) < 0) {
            ++result.failures;
            stop(process);
            continue;
        }
        // The first read-back follows a second after start-up; idle begins after it.
        waitWhileReading(process, 2000);
        const std::optional<ProcessUsage::Sample> before = ProcessUsage::of(process.processId());
        QElapsedTimer timer;
        timer.start();
        waitWhileReading(process, seconds * 1000);
        const std::optional<ProcessUsage::Sample> after = ProcessUsage::of(process.processId());
        const double wallSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (before && after) {
            percent.push_back(100.0 * (after->cpuSeconds - before->cpuSeconds) / wallSeconds);
            megabytes.push_back(static_cast<double>(after->peakKilobytes) / 1024.0);
        } else {
            ++result.failures;
        }
        stop(process);
    }
    result.idleCpuPercent = SampleStats(percent);
    result.peakMegabytes = SampleStats(megabytes);
}
