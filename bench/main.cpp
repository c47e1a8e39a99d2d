// Measures the device traffic of Prismolink against simulated units on
// loopback and prints one table; see "Benchmark" in the README.
#include "benchtable.h"
#include "dialogbench.h"
#include "linkbench.h"
#include "simulatorrig.h"
#include "startupbench.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int RigUnits = 9; // the current unit and up to eight ganged ones

struct Settings
{
    int runs = 7;
    int requests = 3000;
    int readBackCycles = 50;
    int delayedCycles = 10;
    int passes = 5;
    int dragPositions = 1000;
    int dragRuns = 5;
    int startupRuns = 7;
    int syscallRuns = 3;
    int idleRuns = 3;
    int idleSeconds = 30;
};

void dropDebugOutput(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void progress(const char *what)
{
    std::fprintf(stderr, "bench: %s\n", what);
}

std::string cpuModel()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return line.mid(line.indexOf(':') + 1).trimmed().toStdString();
        }
    }
    return "unknown CPU";
}

std::string number(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void linkRows(BenchTable &table, const Settings &settings, const SimulatorRig &rig, const QString &self)
{
    progress("request round trips");
    LinkBench bench(rig.config().units[0].address.toStdString(), rig.port());
    LinkBench::Result result;
    bench.measureRoundTrips(settings.runs, settings.requests, result);
    progress("system calls (strace)");
    const bool traced = bench.countSyscalls(self, settings.syscallRuns, settings.requests / 10, result);

    const std::string requests = std::to_string(settings.requests);
    table.addRow("1. `GetParam` round trip, device link (µs/request, " + requests + " per run)", result.linkMicros.format(1));
    table.addRow("1. Same request, raw client (µs/request)", result.rawMicros.format(1));
    table.addRow("1. Round trip link / raw", result.timeRatio.format(2), "≤ 1.5",
                 BenchTable::verdict(result.timeRatio.median() <= 1.5));
    table.addRow("1. Client CPU time, device link (µs/request)", result.linkCpuMicros.format(2));
    table.addRow("1. Client CPU time, raw client (µs/request)", result.rawCpuMicros.format(2));
    table.addRow("1. CPU time link / raw", result.cpuRatio.format(2), "≤ 2",
                 BenchTable::verdict(result.cpuRatio.median() <= 2.0));
    if (traced) {
        table.addRow("1. System calls, device link (per request)", result.linkSyscalls.format(2) + ": " + result.linkCallMix);
        table.addRow("1. System calls, raw client (per request)", result.rawSyscalls.format(2) + ": " + result.rawCallMix);
    } else {
        table.addRow("1. System calls per request", "n/a (strace did not run)");
    }
    if (result.failures > 0)
        table.addRow("1. Failed requests", std::to_string(result.failures), "0", BenchTable::Verdict::Missed);
}

void dialogRows(BenchTable &table, const Settings &settings, SimulatorRig &rig, const QString &settingsFolder)
{
    DialogBench bench(rig, settingsFolder);
    const auto add = [&table](const std::string &measure, const DialogBench::Result &result, int decimals,
                              const std::string &target = {}, BenchTable::Verdict verdict = BenchTable::Verdict::None) {
        if (!result.ready)
            table.addRow(measure, "n/a (the window did not reach its unit)", target, BenchTable::Verdict::Missed);
        else
            table.addRow(measure + ", " + number(result.requests, 0) + " requests", result.millis.format(decimals), target,
                         verdict);
    };

    progress("read-back");
    const DialogBench::Result atOnce = bench.readBack(settings.runs, settings.readBackCycles, 0);
    add("2. Read-back of one channel, unit answers at once (ms/cycle)", atOnce, 3, "< 3 ms",
        BenchTable::verdict(atOnce.ready && atOnce.millis.median() < 3.0));
    add("2. Read-back of one channel, 1 ms reply delay (ms/cycle)", bench.readBack(settings.runs, settings.delayedCycles, 1),
        2);

    progress("forced passes");
    for (int ganged : {0, 1, 2, 4, 8})
        add("3. Forced pass, " + std::to_string(ganged) + " ganged (ms/pass)", bench.forcedPass(ganged, settings.runs, settings.passes),
            2);

    progress("slider drag");
    add("4. Slider drag over " + std::to_string(settings.dragPositions) + " positions, 2 ganged (ms/position)",
        bench.sliderDrag(2, settings.dragRuns, settings.dragPositions), 3);
}

void startupRows(BenchTable &table, const Settings &settings, SimulatorRig &rig)
{
    StartupBench bench(rig, QStringLiteral(PRISMOLINK_BINARY));
    StartupBench::Result result;
    progress("start-up");
    bench.measureStartup(settings.startupRuns, result);
    progress("idle CPU");
    bench.measureIdle(settings.idleRuns, settings.idleSeconds, result);
    table.addRow("5. Start-up to an identified window, offscreen (ms)", result.startupMillis.format(0), "< 500 ms",
                 BenchTable::verdict(!result.startupMillis.isEmpty() && result.startupMillis.median() < 500.0));
    table.addRow("5. Idle CPU over " + std::to_string(settings.idleSeconds) + " s, one unit (% of one core)",
                 result.idleCpuPercent.format(2), "< 2 %",
                 BenchTable::verdict(!result.idleCpuPercent.isEmpty() && result.idleCpuPercent.median() < 2.0));
    table.addRow("5. Peak memory, resident (MB)", result.peakMegabytes.format(1));
    if (result.failures > 0)
        table.addRow("5. Failed starts", std::to_string(result.failures), "0", BenchTable::Verdict::Missed);
}

} // namespace

int main(int argc, char *argv[])
{
    // A traced client runs without Qt, so its trace holds only its requests.
    if (argc == 6 && std::strcmp(argv[1], "--client") == 0)
        return LinkBench::runClient(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(dropDebugOutput);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prismolink benchmark of the device traffic"));
    parser.addHelpOption();
    const QCommandLineOption quick(QStringLiteral("quick"), QStringLiteral("Fewer and shorter runs, for a first look."));
    const QCommandLineOption idle(QStringLiteral("idle-seconds"), QStringLiteral("Length of each idle CPU run (30)."),
                                  QStringLiteral("seconds"));
    parser.addOption(quick);
    parser.addOption(idle);
    parser.process(app);

    Settings settings;
    if (parser.isSet(quick)) {
        settings.runs = 3;
        settings.requests = 1000;
        settings.dragRuns = 1;
        settings.startupRuns = 3;
        settings.syscallRuns = 1;
        settings.idleRuns = 1;
        settings.idleSeconds = 5;
    }
    if (parser.isSet(idle))
        settings.idleSeconds = std::max(1, parser.value(idle).toInt());

    RigConfig config;
    for (int n = 1; n <= RigUnits; ++n)
        config.units << UnitConfig::numbered(n);
    SimulatorRig rig(config);
    QString error;
    if (!rig.start(0, &error)) {
        std::fprintf(stderr, "bench: simulated units do not start: %s\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir settingsFolder;
    qputenv("PRISMOLINK_DEVICE_PORT", QByteArray::number(rig.port()));

    BenchTable table;
    linkRows(table, settings, rig, QCoreApplication::applicationFilePath());
    dialogRows(table, settings, rig, settingsFolder.path());
    startupRows(table, settings, rig);
    rig.stop();

    std::printf("Machine: %s, %d cores, %s, kernel %s, Qt %s, %s build\n\n", cpuModel().c_str(),
                QThread::idealThreadCount(), qPrintable(QSysInfo::prettyProductName()), qPrintable(QSysInfo::kernelVersion()),
                qVersion(), PRISMOLINK_BUILD_TYPE);
    std::printf("%s", table.markdown().c_str());
    const int missed = table.missedCount();
    std::printf("\n%s\n", missed == 0 ? "Every target met." : (std::to_string(missed) + " target(s) missed.").c_str());
    return 0;
}
