#include "dialogbench.h"

#include "arrivaltally.h"
#include "benchclock.h"
#include "benchwindow.h"
#include "conditionwait.h"
#include "hdrcontroller.h"
#include "hdrparameterdialog.h"
#include "requestwatch.h"
#include "simulatorrig.h"
#include "ui_hdrparameterdialog.h"

#include <QAbstractSlider>
#include <QApplication>

#include <algorithm>
#include <vector>

using PC = ParameterCatalogue;

DialogBench::DialogBench(SimulatorRig &rig, PanelStandIn &panel, RequestWatch &watch)
    : m_rig(rig), m_panel(panel), m_watch(watch)
{
}

DialogBench::Result DialogBench::readBack(int runs, int cycles, int replyDelayMs)
{
    Result result;
    BenchWindow window(m_rig, m_panel);
    window.show(window.unitAddress(0), {});
    if (!window.waitReady(0))
        return result;
    const FaultSettings normal = m_rig.faults(0);
    FaultSettings delayed = normal;
    delayed.delayMs = replyDelayMs;
    m_rig.setFaults(0, delayed);

    const HdrController &c = window.controller();
    QComboBox *channels = window.dialog().form().currentChannelComboBox;
    const auto allKnown = [&c] {
        const auto &bound = PC::passOrder();
        return std::all_of(bound.begin(), bound.end(), [&c](int slot) { return c.values().known(slot); });
    };
    std::vector<double> millis;
    double requests = 0;
    bool ended = true;
    for (int run = 0; run < runs && ended; ++run) {
        ended = window.settle();
        m_watch.takeArrived();
        double taken = 0;
        for (int cycle = 0; cycle < cycles && ended; ++cycle) {
            const qint64 start = BenchClock::nowNs();
            channels->setCurrentIndex(channels->currentIndex() == 0 ? 1 : 0);
            ended = ConditionWait::until(allKnown, ConditionWait::MeasureTimeoutMs);
            taken += BenchClock::millis(start, BenchClock::nowNs());
        }
        millis.push_back(taken / cycles);
        requests += double(m_watch.takeArrived().size()) / cycles;
    }
    m_rig.setFaults(0, normal);
    result.millis = SampleStats(millis);
    result.requests = requests / runs;
    result.ready = ended;
    return result;
}

DialogBench::Result DialogBench::forcedPass(int ganged, int runs, int passes)
{
    Result result;
    BenchWindow window(m_rig, m_panel);
    window.show(window.unitAddress(0), window.gangOf(ganged));
    if (!window.waitReady(ganged))
        return result;
    std::vector<double> millis;
    double requests = 0;
    bool ended = true;
    for (int run = 0; run < runs && ended; ++run) {
        double taken = 0;
        for (int pass = 0; pass < passes && ended; ++pass) {
            const std::optional<BenchWindow::Pass> measured = window.forcedPass(m_watch);
            ended = measured.has_value();
            if (ended) {
                taken += measured->millis;
                requests += measured->sets;
            }
        }
        millis.push_back(taken / passes);
    }
    result.millis = SampleStats(millis);
    result.requests = requests / (runs * passes);
    result.ready = ended;
    return result;
}

DialogBench::Result DialogBench::sliderDrag(int ganged, int runs, int positions)
{
    Result result;
    BenchWindow window(m_rig, m_panel);
    window.show(window.unitAddress(0), window.gangOf(ganged));
    if (!window.waitReady(ganged))
        return result;
    QAbstractSlider *slider = window.dialog().slider(PC::GainRed);
    const int start = slider->minimum();
    if (slider->maximum() - start < positions)
        return result;
    const QStringList units = window.answeringUnits();
    const QByteArray name = PC::parameterName(window.controller().current().channel, PC::GainRed);
    const QByteArray last = PC::wireText(PC::GainRed, start + positions);
    std::vector<double> millis, lag;
    double requests = 0;
    bool ended = true;
    for (int run = 0; run < runs && ended; ++run) {
        slider->setValue(start);
        ended = window.settle();
        ArrivalTally sets(RequestWatch::isSet);
        ArrivalTally lastValue([&](const RequestWatch::Request &r) { return RequestWatch::isSet(r) && r.name == name && r.value == last; });
        m_watch.takeArrived();
        const qint64 begin = BenchClock::nowNs();
        qint64 lastMove = begin;
        for (int i = 1; i <= positions; ++i) {
            lastMove = BenchClock::nowNs();
            slider->setValue(start + i);
            QApplication::processEvents();
        }
        const qint64 end = BenchClock::nowNs();
        ended = ended && ConditionWait::until(
                             [&] {
                                 const std::vector<RequestWatch::Request> arrived = m_watch.takeArrived();
                                 sets.add(arrived);
                                 lastValue.add(arrived);
                                 return lastValue.allReached(units, 1);
                             },
                             ConditionWait::MeasureTimeoutMs);
        millis.push_back(BenchClock::millis(begin, end) / positions);
        lag.push_back(BenchClock::millis(lastMove, lastValue.latestNs(units, 1)));
        requests += double(sets.total()) / positions;
    }
    result.millis = SampleStats(millis);
    result.lagMillis = SampleStats(lag);
    result.requests = requests / runs;
    result.ready = ended;
    return result;
}
