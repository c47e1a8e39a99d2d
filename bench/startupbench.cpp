#include "startupbench.h"

#include "arrivaltally.h"
#include "benchclock.h"
#include "conditionwait.h"
#include "parametercatalogue.h"
#include "prismosettings.h"
#include "processusage.h"
#include "requestwatch.h"
#include "simulatorrig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <vector>

using PC = ParameterCatalogue;

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

// The first parameter a read of a channel asks for, on any channel.
bool readsChannel(const RequestWatch::Request &request)
{
    if (request.action != "get")
        return false;
    for (int channel = 0; channel < PC::ChannelCount; ++channel) {
        if (request.name == PC::parameterName(channel, PC::readOrder().front()))
            return true;
    }
    return false;
}

void waitWhileReading(QProcess &process, int millis)
{
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
    process.readAll();
}

} // namespace

StartupBench::StartupBench(SimulatorRig &rig, RequestWatch &watch, QString program)
    : m_rig(rig)
    , m_watch(watch)
    , m_program(std::move(program))
{
}

double StartupBench::start(QProcess &process, const QString &home)
{
    const QString unit = m_rig.config().units[0].address;
    QDir(home).mkpath(QStringLiteral("tmp"));
    {
        // The program's store under XDG_CONFIG_HOME.
        QSettings store(home + QStringLiteral("/config/%1/%2.conf").arg(PrismoSettings::Organisation,
                                                                         PrismoSettings::Application),
                        QSettings::IniFormat);
        PrismoSettings::save(store, unit, {});
        store.sync();
        if (store.status() != QSettings::NoError)
            return -1;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("TMPDIR"), home + QStringLiteral("/tmp")); // the single-instance lock
    environment.insert(QStringLiteral("PRISMOLINK_DEVICE_PORT"), QString::number(m_rig.port()));
    environment.insert(QStringLiteral("PRISMOLINK_HUB_PORT"), QString::number(unusedPort()));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);

    // The program reports that it started once its window is shown; it has
    // identified the unit once it begins to read the unit's channel, which
    // it does right after.
    QByteArray output;
    qint64 shownNs = 0;
    const QMetaObject::Connection reading = QObject::connect(&process, &QProcess::readyRead, [&] {
        output += process.readAll();
        if (shownNs == 0 && output.contains(" started"))
            shownNs = BenchClock::nowNs();
    });
    ArrivalTally channelRead = channelReads();
    m_watch.takeArrived();
    const qint64 startNs = BenchClock::nowNs();
    process.start(m_program, QStringList());
    const bool up = ConditionWait::until(
        [&] {
            channelRead.add(m_watch.takeArrived());
            return shownNs != 0 && channelRead.count(unit) > 0;
        },
        StartTimeoutMs);
    QObject::disconnect(reading);
    if (!up)
        return -1;
    return BenchClock::millis(startNs, std::max(shownNs, channelRead.latestNs({unit}, 1)));
}

bool StartupBench::waitForReadBack(QProcess &process)
{
    const QString unit = m_rig.config().units[0].address;
    ArrivalTally channelRead = channelReads();
    // start() took the read that followed identification; the next one is periodic.
    return ConditionWait::until(
        [&] {
            process.readAll();
            channelRead.add(m_watch.takeArrived());
            return channelRead.count(unit) >= 1;
        },
        StartTimeoutMs);
}

ArrivalTally StartupBench::channelReads() const
{
    return ArrivalTally([unit = m_rig.config().units[0].address](const RequestWatch::Request &r) {
        return r.address == unit && readsChannel(r);
    });
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
        if (start(process, home.path()) < 0 || !waitForReadBack(process)) {
            ++result.failures;
            stop(process);
            continue;
        }
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
