#include "latencybench.h"

#include "arrivaltally.h"
#include "benchclock.h"
#include "benchwindow.h"
#include "channelsync.h"
#include "conditionwait.h"
#include "displaycell.h"
#include "eventloopprobe.h"
#include "gang.h"
#include "hdrcontroller.h"
#include "panelstandin.h"
#include "requestwatch.h"
#include "simulatorrig.h"
#include "unitchooser.h"
#include "unitlink.h"

#include <algorithm>

using PC = ParameterCatalogue;

struct LatencyBench::Samples
{
    std::vector<double> passMs, knobLagMs, displayWaitMs, stallOpeningMs, stallIdleMs, stallPassMs, stallTurningMs,
        closingMs;
    double turnedSets = 0;
    int turns = 0;
    int failures = 0;
};

LatencyBench::LatencyBench(SimulatorRig &rig, PanelStandIn &panel, RequestWatch &watch, Settings settings)
    : m_rig(rig), m_panel(panel), m_watch(watch), m_settings(settings)
{
}

// Units 0 to units - 1 answer after delayMs, but the last 'stalled' of them never do.
void LatencyBench::setFaults(int units, int delayMs, int stalled)
{
    for (int unit = 0; unit < m_rig.unitCount(); ++unit) {
        FaultSettings faults;
        if (unit < units)
            faults.delayMs = delayMs;
        faults.stall = unit < units && unit >= units - stalled;
        m_rig.setFaults(unit, faults);
    }
}

LatencyBench::Result LatencyBench::run(const Case &setup)
{
    Result result;
    result.setup = setup;
    setFaults(setup.ganged + 1, setup.delayMs, setup.stalled);

    BenchWindow window(m_rig, m_panel);
    QStringList silent;
    for (int unit = setup.ganged + 1 - setup.stalled; unit <= setup.ganged; ++unit)
        silent << window.unitAddress(unit);
    window.setSilent(silent);
    EventLoopProbe probe;
    Samples samples;
    window.show(window.unitAddress(0), window.gangOf(setup.ganged));
    probe.start();
    result.ready = window.waitReady(setup.ganged);
    probe.stop();
    samples.stallOpeningMs.push_back(probe.longestStallMs());

    if (result.ready) {
        for (int pass = 0; pass < m_settings.passes; ++pass)
            samples.failures += forcedPass(window, probe, samples) ? 0 : 1;
        for (int turn = 0; turn < m_settings.turns; ++turn)
            samples.failures += this->turn(window, probe, turn % 2 == 0 ? 1 : -1, samples) ? 0 : 1;
        samples.failures += idle(window, probe, setup.delayMs, samples) ? 0 : 1;
    }
    samples.closingMs.push_back(window.close());
    setFaults(0, 0, 0);

    result.failures = samples.failures;
    result.passMs = SampleStats(samples.passMs);
    result.knobLagMs = SampleStats(samples.knobLagMs);
    result.displayWaitMs = SampleStats(samples.displayWaitMs);
    result.stallOpeningMs = SampleStats(samples.stallOpeningMs);
    result.stallIdleMs = SampleStats(samples.stallIdleMs);
    result.stallPassMs = SampleStats(samples.stallPassMs);
    result.stallTurningMs = SampleStats(samples.stallTurningMs);
    result.closingMs = SampleStats(samples.closingMs);
    result.setsPerTurn = samples.turns > 0 ? samples.turnedSets / samples.turns : 0;
    return result;
}

bool LatencyBench::forcedPass(BenchWindow &window, EventLoopProbe &probe, Samples &samples)
{
    const std::optional<BenchWindow::Pass> pass = window.forcedPass(m_watch, &probe);
    if (!pass)
        return false;
    samples.passMs.push_back(pass->millis);
    samples.stallPassMs.push_back(probe.longestStallMs());
    return true;
}

// The encoder that moves red gain on panel page 0 turns Detents detents in
// one direction; the display must show each value, every unit must end on
// the last.
bool LatencyBench::turn(BenchWindow &window, EventLoopProbe &probe, int direction, Samples &samples)
{
    if (!window.settle())
        return false;
    const HdrController &c = window.controller();
    const int slot = PC::GainRed;
    const int from = c.value(slot);
    QVector<DisplayCell> cells;
    for (int detent = 1; detent <= Detents; ++detent)
        cells << DisplayCell::ofValue(slot, from + direction * detent);
    const QByteArray name = PC::parameterName(c.current().channel, slot);
    const QByteArray last = PC::wireText(slot, from + direction * Detents);
    const QStringList units = window.answeringUnits();
    ArrivalTally lastValue(
        [&](const RequestWatch::Request &r) { return RequestWatch::isSet(r) && r.name == name && r.value == last; });
    ArrivalTally turned([&](const RequestWatch::Request &r) { return RequestWatch::isSet(r) && r.name == name; });

    m_watch.takeArrived();
    probe.start();
    m_panel.turn(quint32(PC::slot(slot).panel.control), float(direction) * DetentIncrement, DetentMs, cells);
    const bool done = ConditionWait::until(
        [&] {
            const std::vector<RequestWatch::Request> arrived = m_watch.takeArrived();
            lastValue.add(arrived);
            turned.add(arrived);
            return m_panel.knob().progress().done() && lastValue.allReached(units, 1);
        },
        ConditionWait::MeasureTimeoutMs);
    probe.stop();
    if (!done)
        return false;
    const KnobTurner::Progress progress = m_panel.knob().progress();
    double longestWait = 0;
    for (std::size_t i = 0; i < progress.sentNs.size(); ++i)
        longestWait = std::max(longestWait, BenchClock::millis(progress.sentNs[i], progress.shownNs[i]));
    samples.knobLagMs.push_back(BenchClock::millis(progress.sentNs.back(), lastValue.latestNs(units, 1)));
    samples.displayWaitMs.push_back(longestWait);
    samples.stallTurningMs.push_back(probe.longestStallMs());
    samples.turnedSets += double(turned.total()) / units.size();
    ++samples.turns;
    return true;
}

// The window left alone through idleCycles periodic read-backs: each reads
// the channel from the current unit and then polls every ganged unit.
bool LatencyBench::idle(BenchWindow &window, EventLoopProbe &probe, int delayMs, Samples &samples)
{
    if (!window.settle())
        return false;
    const HdrController &c = window.controller();
    const QString current = c.units().address();
    const QByteArray lastRead = PC::parameterName(c.current().channel, PC::readOrder().back());
    const QByteArray poll = PC::parameterName(c.current().channel, PC::ColorfrontMode);
    const QStringList units = window.answeringUnits();
    ArrivalTally cycles([&](const RequestWatch::Request &r) {
        return r.action == "get" && r.name == (r.address == current ? lastRead : poll);
    });
    const int cycleMs = ChannelSync::HoldMs + ChannelSync::RefreshMs + int(PC::readOrder().size()) * delayMs;

    m_watch.takeArrived();
    probe.start();
    const bool done = ConditionWait::until(
        [&] {
            cycles.add(m_watch.takeArrived());
            return cycles.allReached(units, m_settings.idleCycles);
        },
        m_settings.idleCycles * cycleMs + ConditionWait::MeasureTimeoutMs);
    probe.stop();
    if (!done)
        return false;
    samples.stallIdleMs.push_back(probe.longestStallMs());
    return true;
}

LatencyBench::NameResult LatencyBench::runUnresolvable(const QString &hostName, int delayMs, int ganged)
{
    NameResult result;
    setFaults(ganged + 1, delayMs, 0);
    BenchWindow window(m_rig, m_panel);
    EventLoopProbe probe;
    const QString notAnswering = UnitLink::stateText(UnitLink::State::NotAnswering);
    std::vector<double> lookups;
    const auto lookup = [&] {
        const qint64 start = BenchClock::nowNs();
        const bool failed = ConditionWait::until(
            [&] { return window.controller().units().unitState(hostName) == notAnswering; }, ConditionWait::MeasureTimeoutMs);
        if (failed)
            lookups.push_back(BenchClock::millis(start, BenchClock::nowNs()));
        return failed;
    };

    window.show(hostName, window.gangOf(ganged));
    probe.start();
    bool ok = lookup();
    const HdrController &c = window.controller();
    const QString unit = window.unitAddress(0);
    window.typeAddress(unit);
    ok = ok && ConditionWait::until(
                   [&] { return c.units().hasUnit() && c.units().address() == unit && c.units().gangSize() == ganged; },
                   BenchWindow::ReadyTimeoutMs);
    ok = ok && window.settle();
    window.typeAddress(hostName);
    ok = ok && lookup();
    probe.stop();
    window.close();
    setFaults(0, 0, 0);

    result.ready = ok;
    result.lookupMs = SampleStats(lookups);
    result.stallMs = probe.longestStallMs();
    return result;
}
