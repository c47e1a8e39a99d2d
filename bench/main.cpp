// Measures the device traffic of Prismolink against simulated units on
// loopback and prints its tables; see "Benchmark" in the README.
#include "benchtable.h"
#include "dialogbench.h"
#include "latencybench.h"
#include "linkbench.h"
#include "matrixtable.h"
#include "oscfloodbench.h"
#include "panelstandin.h"
#include "requestwatch.h"
#include "simulatorrig.h"
#include "startupbench.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The current unit and up to 64 ganged ones.
constexpr int RigUnits = 257;
// A name under a domain that never exists: the resolver cannot give it an address.
const char UnresolvableName[] = "prismo.invalid";

constexpr double PassTargetMs = 800;
constexpr double LargeGangPassTargetMs = 1000;
constexpr double KnobLagTargetMs = 100;
constexpr double DisplayWaitTargetMs = 50;
constexpr double StallTargetMs = 50;
constexpr double FloodStallTargetMs = 100;
constexpr int FloodPacketsPerSecond = 600;

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
    int floodSeconds = 10;
    LatencyBench::Settings latency;
};

void dropDebugOutput(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void progress(const std::string &what)
{
    std::fprintf(stderr, "bench: %s\n", what.c_str());
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

void dialogRows(BenchTable &table, const Settings &settings, DialogBench &bench)
{
    const auto add = [&table](const std::string &measure, const DialogBench::Result &result, int decimals,
                              const std::string &target = {}, bool met = true) {
        if (!result.ready)
            table.addRow(measure, "n/a (the window did not come up or a measure did not end)", target,
                         BenchTable::Verdict::Missed);
        else
            table.addRow(measure + ", " + number(result.requests, 0) + " requests", result.millis.format(decimals), target,
                         target.empty() ? BenchTable::Verdict::None : BenchTable::verdict(met));
    };

    progress("read-back");
    const DialogBench::Result atOnce = bench.readBack(settings.runs, settings.readBackCycles, 0);
    add("2. Read-back of one channel, unit answers at once (ms/cycle)", atOnce, 3, "< 3 ms",
        atOnce.millis.medianBelow(3.0));
    add("2. Read-back of one channel, 1 ms reply delay (ms/cycle)", bench.readBack(settings.runs, settings.delayedCycles, 1),
        2);

    progress("forced passes");
    for (int ganged : {0, 1, 2, 4, 8})
        add("3. Forced pass, " + std::to_string(ganged) + " ganged (ms/pass)", bench.forcedPass(ganged, settings.runs, settings.passes),
            2);

    progress("slider drag");
    const DialogBench::Result drag = bench.sliderDrag(2, settings.dragRuns, settings.dragPositions);
    add("4. Slider drag over " + std::to_string(settings.dragPositions) + " positions, 2 ganged (ms/position)", drag, 3);
    if (drag.ready)
        table.addRow("4. Slider drag: last position until every unit holds it (ms)", drag.lagMillis.format(2));
}

void startupRows(BenchTable &table, const Settings &settings, SimulatorRig &rig, RequestWatch &watch)
{
    StartupBench bench(rig, watch, QStringLiteral(PRISMOLINK_BINARY));
    StartupBench::Result result;
    progress("start-up");
    bench.measureStartup(settings.startupRuns, result);
    progress("idle CPU");
    bench.measureIdle(settings.idleRuns, settings.idleSeconds, result);
    table.addRow("5. Start-up to an identified window, offscreen (ms)", result.startupMillis.format(0), "< 500 ms",
                 BenchTable::verdict(result.startupMillis.medianBelow(500.0)));
    table.addRow("5. Idle CPU over " + std::to_string(settings.idleSeconds) + " s, one unit (% of one core)",
                 result.idleCpuPercent.format(2), "< 2 %",
                 BenchTable::verdict(result.idleCpuPercent.medianBelow(2.0)));
    table.addRow("5. Peak memory, resident (MB)", result.peakMegabytes.format(1));
    if (result.failures > 0)
        table.addRow("5. Failed starts", std::to_string(result.failures), "0", BenchTable::Verdict::Missed);
}

std::string below(double millis)
{
    return "< " + number(millis, 0) + " ms";
}

std::string caseName(const LatencyBench::Case &setup)
{
    std::string name = std::to_string(setup.delayMs) + " ms, " + std::to_string(setup.ganged) + " ganged";
    return setup.stalled > 0 ? name + ", " + std::to_string(setup.stalled) + " of them stalled" : name;
}

// The latency run: one matrix row a case, and the targets as rows of the main table.
void latencyRows(BenchTable &table, MatrixTable &matrix, LatencyBench &bench)
{
    std::vector<LatencyBench::Case> cases;
    for (int delay : {0, 5, 20}) {
        for (int ganged : {0, 1, 8, 64})
            cases.push_back({delay, ganged, 0});
    }
    // A large facility's gang, a unit that stalls, and a facility where half the saved gang does.
    cases.push_back({20, 256, 0});
    cases.push_back({20, 8, 1});
    cases.push_back({20, 46, 23});

    double worstStall = 0;
    std::string worstCase;
    int failures = 0;
    const auto noteStall = [&](double stall, const std::string &where) {
        if (stall >= worstStall) {
            worstStall = stall;
            worstCase = where;
        }
    };
    for (const LatencyBench::Case &setup : cases) {
        const std::string name = caseName(setup);
        progress("latency, " + name);
        const LatencyBench::Result r = bench.run(setup);
        failures += r.failures + (r.ready ? 0 : 1);
        const bool targeted = setup.delayMs == 20 && setup.stalled == 0;
        const double passTarget = setup.ganged >= 64 ? LargeGangPassTargetMs : PassTargetMs;
        const bool passTargeted = targeted && (setup.ganged == 8 || setup.ganged >= 64);
        const bool knobTargeted = targeted && (setup.ganged == 8 || setup.ganged == 256);
        const bool passMet = r.passMs.medianBelow(passTarget);
        const bool knobLagMet = r.knobLagMs.medianBelow(KnobLagTargetMs);
        const bool displayWaitMet = r.displayWaitMs.medianBelow(DisplayWaitTargetMs);
        const auto figure = [](const SampleStats &stats, bool missed) { return MatrixTable::Cell{stats.format(1), missed}; };
        const auto stall = [&](const SampleStats &stats, const char *when) {
            if (!stats.isEmpty())
                noteStall(stats.maximum(), name + ", " + when);
            return MatrixTable::Cell{stats.format(1), stats.maximum() >= StallTargetMs};
        };
        matrix.addRow({{std::to_string(setup.delayMs) + " ms"},
                       {std::to_string(setup.ganged) +
                        (setup.stalled > 0 ? ", " + std::to_string(setup.stalled) + " stalled" : std::string())},
                       figure(r.passMs, passTargeted && !passMet), figure(r.knobLagMs, knobTargeted && !knobLagMet),
                       figure(r.displayWaitMs, knobTargeted && !displayWaitMet),
                       stall(r.stallOpeningMs, "opening"), stall(r.stallIdleMs, "idle"), stall(r.stallPassMs, "forced pass"),
                       stall(r.stallTurningMs, "turning"), {number(r.setsPerTurn, 1)}, figure(r.closingMs, false)});
        if (passTargeted) {
            table.addRow("6. Forced pass, replies after " + name + " (ms)", r.passMs.format(0),
                         below(passTarget), BenchTable::verdict(passMet));
        }
        if (knobTargeted) {
            table.addRow("6. Knob lag, " + name + ": last detent until every unit holds the value (ms)",
                         r.knobLagMs.format(0), below(KnobLagTargetMs), BenchTable::verdict(knobLagMet));
            table.addRow("6. Detent to display, " + name + ": longest wait in a turn (ms)", r.displayWaitMs.format(1),
                         below(DisplayWaitTargetMs), BenchTable::verdict(displayWaitMet));
        }
    }

    progress(std::string("latency, saved address ") + UnresolvableName);
    const LatencyBench::NameResult unresolvable = bench.runUnresolvable(QString::fromLatin1(UnresolvableName), 20, 8);
    failures += unresolvable.ready ? 0 : 1;
    noteStall(unresolvable.stallMs, std::string("saved address ") + UnresolvableName);
    table.addRow(std::string("6. Saved address `") + UnresolvableName + "`, 20 ms, 8 ganged: name lookup until \"not answering\" (ms)",
                 unresolvable.lookupMs.format(1));
    table.addRow(std::string("6. Saved address `") + UnresolvableName + "`: event-loop stall, longest (ms)",
                 number(unresolvable.stallMs, 1), below(StallTargetMs), BenchTable::verdict(unresolvable.stallMs < StallTargetMs));
    table.addRow("6. Event-loop stall, longest of every case and run (ms)", number(worstStall, 1) + " (" + worstCase + ")",
                 below(StallTargetMs), BenchTable::verdict(worstStall < StallTargetMs));
    if (failures > 0)
        table.addRow("6. Windows that did not come up or measures that did not end", std::to_string(failures), "0",
                     BenchTable::Verdict::Missed);
}

// A show-control sender gone wild: the budget must keep the window responsive and its memory flat.
void oscFloodRows(BenchTable &table, const Settings &settings, SimulatorRig &rig, PanelStandIn &panel)
{
    OscFloodBench bench(rig, panel);
    const std::pair<OscFloodBench::Flood, const char *> floods[] = {
        {OscFloodBench::Flood::LookRecalls, "look recalls"}, {OscFloodBench::Flood::UnitSwitches, "unit switches"}};
    for (const auto &[flood, name] : floods) {
        progress(std::string("OSC flood of ") + name);
        const OscFloodBench::Result r = bench.run(flood, FloodPacketsPerSecond, settings.floodSeconds);
        const std::string measure = "7. OSC flood, bundles of 64 " + std::string(name) + ", "
                                  + std::to_string(FloodPacketsPerSecond) + " a second for "
                                  + std::to_string(settings.floodSeconds) + " s";
        if (!r.ready) {
            table.addRow(measure, "n/a (the window or the OSC server did not come up)", below(FloodStallTargetMs),
                         BenchTable::Verdict::Missed);
            continue;
        }
        table.addRow(measure + ": event-loop stall, longest (ms)", number(r.stallMs, 1), below(FloodStallTargetMs),
                     BenchTable::verdict(r.stallMs < FloodStallTargetMs));
        table.addRow(measure + ": resident memory after less before (MB)", number(r.residentGrowthMb, 1));
    }
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
    const QCommandLineOption latencyOnly(QStringLiteral("latency-only"),
                                         QStringLiteral("Only the latency run against units that answer late."));
    const QCommandLineOption oscOnly(QStringLiteral("osc-only"), QStringLiteral("Only the OSC floods."));
    parser.addOption(quick);
    parser.addOption(idle);
    parser.addOption(latencyOnly);
    parser.addOption(oscOnly);
    parser.process(app);

    Settings settings;
    if (parser.isSet(quick)) {
        settings.runs = 3;
        settings.requests = 1000;
        settings.passes = 2;
        settings.dragRuns = 1;
        settings.startupRuns = 3;
        settings.syscallRuns = 1;
        settings.idleRuns = 1;
        settings.idleSeconds = 5;
        settings.floodSeconds = 3;
        settings.latency.passes = 1;
        settings.latency.turns = 1;
        settings.latency.idleCycles = 1;
    }
    if (parser.isSet(idle))
        settings.idleSeconds = std::max(1, parser.value(idle).toInt());

    RigConfig config;
    for (int n = 1; n <= RigUnits; ++n)
        config.units << UnitConfig::numbered(n);
    SimulatorRig rig(config);
    RequestWatch watch(rig);
    QString error;
    if (!rig.start(0, &error)) {
        std::fprintf(stderr, "bench: simulated units do not start: %s\n", qPrintable(error));
        return 1;
    }
    PanelStandIn panel;
    if (!panel.start(&error)) {
        std::fprintf(stderr, "bench: the hub stand-in does not start: %s\n", qPrintable(error));
        return 1;
    }
    // The windows keep their settings in a folder of their own.
    QTemporaryDir settingsFolder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());

    BenchTable table;
    MatrixTable matrix({"Replies after", "Ganged", "Forced pass (ms)", "Knob lag (ms)", "Detent to display, longest (ms)",
                        "Stall opening (ms)", "Stall idle (ms)", "Stall in passes (ms)", "Stall turning (ms)",
                        "Sets per unit per turn", "Closing (ms)"});
    if (!parser.isSet(latencyOnly) && !parser.isSet(oscOnly)) {
        linkRows(table, settings, rig, QCoreApplication::applicationFilePath());
        DialogBench dialogBench(rig, panel, watch);
        dialogRows(table, settings, dialogBench);
        startupRows(table, settings, rig, watch);
    }
    if (!parser.isSet(oscOnly)) {
        LatencyBench latencyBench(rig, panel, watch, settings.latency);
        latencyRows(table, matrix, latencyBench);
    }
    if (!parser.isSet(latencyOnly))
        oscFloodRows(table, settings, rig, panel);
    rig.stop();

    std::printf("Machine: %s, %d cores, %s, kernel %s, Qt %s, %s build\n\n", cpuModel().c_str(),
                QThread::idealThreadCount(), qPrintable(QSysInfo::prettyProductName()), qPrintable(QSysInfo::kernelVersion()),
                qVersion(), PRISMOLINK_BUILD_TYPE);
    std::printf("%s", table.markdown().c_str());
    if (!parser.isSet(oscOnly))
        std::printf("\nLatency against units that answer late (ms; a figure that misses its target in bold):\n\n%s",
                    matrix.markdown().c_str());
    const int missed = table.missedCount();
    std::printf("\n%s\n", missed == 0 ? "Every target met." : (std::to_string(missed) + " target(s) missed.").c_str());
    return 0;
}
