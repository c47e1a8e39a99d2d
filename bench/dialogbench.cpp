#include "dialogbench.h"

#include "hdrparameterdialog.h"
#include "simulatorrig.h"
#include "ui_hdrparameterdialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>

#include <vector>

namespace {

double millisSince(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

DialogBench::DialogBench(SimulatorRig &rig, const QString &settingsFolder)
    : m_rig(rig)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder);
}

DialogBench::~DialogBench() = default;

std::unique_ptr<HDRParameterDialog> DialogBench::open(int ganged)
{
    {
        QSettings store(QStringLiteral("tavi"), QStringLiteral("PrismoRest"));
        store.clear();
        store.setValue(QStringLiteral("IPAddress"), m_rig.config().units[0].address);
        store.beginWriteArray(QStringLiteral("GangPrismoNames"));
        for (int i = 0; i < ganged; ++i) {
            store.setArrayIndex(i);
            // As the window saves them: discovery reads host names with a blank at the end.
            store.setValue(QStringLiteral("GangPrismoName"), m_rig.config().units[i + 1].hostName + QLatin1Char(' '));
        }
        store.endArray();
        store.setValue(QStringLiteral("NumGangPrismos"), ganged);
    }
    auto dialog = std::make_unique<HDRParameterDialog>(true, QStringLiteral("bench"));
    dialog->show();
    QApplication::processEvents();
    if (!dialog->currentDeviceLink() || dialog->gangLinkCount() != static_cast<std::size_t>(ganged))
        return nullptr;
    return dialog;
}

double DialogBench::takeRequestCount()
{
    const double count = m_rig.requestLog().size();
    m_rig.clearRequestLog();
    return count;
}

// Runs 'steps' steps of an action several times over, each run timed and its
// requests counted, with a preparation before each run that is not timed.
DialogBench::Result DialogBench::measure(int runs, int steps, const std::function<void()> &prepare,
                                         const std::function<void(int)> &step)
{
    Result result;
    std::vector<double> millis;
    double requests = 0;
    for (int run = 0; run < runs; ++run) {
        prepare();
        takeRequestCount();
        QElapsedTimer timer;
        timer.start();
        for (int i = 1; i <= steps; ++i)
            step(i);
        millis.push_back(millisSince(timer) / steps);
        requests += takeRequestCount() / steps;
        QApplication::processEvents();
    }
    result.millis = SampleStats(millis);
    result.requests = requests / runs;
    result.ready = true;
    return result;
}

DialogBench::Result DialogBench::readBack(int runs, int cycles, int replyDelayMs)
{
    const std::unique_ptr<HDRParameterDialog> dialog = open(0);
    if (!dialog)
        return Result();
    const FaultSettings normal = m_rig.faults(0);
    FaultSettings delayed = normal;
    delayed.delayMs = replyDelayMs;
    m_rig.setFaults(0, delayed);
    const Result result = measure(runs, cycles, [] {}, [&dialog](int) {
        QMetaObject::invokeMethod(dialog.get(), "channelChanged", Q_ARG(int, 0));
    });
    m_rig.setFaults(0, normal);
    return result;
}

DialogBench::Result DialogBench::forcedPass(int ganged, int runs, int passes)
{
    const std::unique_ptr<HDRParameterDialog> dialog = open(ganged);
    if (!dialog)
        return Result();
    return measure(runs, passes, [] {}, [&dialog](int) {
        QMetaObject::invokeMethod(dialog.get(), "valueChanged", Q_ARG(int, HDRParameterDialog::forceAll));
    });
}

DialogBench::Result DialogBench::sliderDrag(int ganged, int runs, int positions)
{
    const std::unique_ptr<HDRParameterDialog> dialog = open(ganged);
    if (!dialog)
        return Result();
    QSlider *slider = dialog->form().redGainSlider;
    const int start = slider->minimum();
    if (slider->maximum() - start < positions)
        return Result();
    return measure(
        runs, positions,
        [slider, start] {
            slider->setValue(start);
            QApplication::processEvents();
        },
        [slider, start](int i) {
            slider->setValue(start + i);
            QApplication::processEvents();
        });
}
