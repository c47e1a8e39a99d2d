#pragma once

#include "samplestats.h"

#include <QString>

#include <functional>
#include <memory>

class HDRParameterDialog;
class SimulatorRig;

// The main window, shown offscreen, against the units of a simulated rig:
// the read-back of a channel, forced passes over a gang and a slider drag.
// The first unit of the rig is the current unit; the next ones are ganged.
class DialogBench
{
public:
    struct Result
    {
        SampleStats millis;      // per cycle, pass or position
        double requests = 0;     // requests the units received per cycle, pass or position
        bool ready = false;      // the window identified its unit and built its gang
    };

    // The window keeps its settings in the folder given; the rig must be started.
    DialogBench(SimulatorRig &rig, const QString &settingsFolder);
    ~DialogBench();

    // channelChanged, as the periodic read-back runs it, while the first unit
    // delays each reply by replyDelayMs.
    Result readBack(int runs, int cycles, int replyDelayMs);
    // A pass that writes every parameter to the current and ganged units.
    Result forcedPass(int ganged, int runs, int passes);
    // redGainSlider moved over 'positions' positions, each one written and
    // drawn as a mouse drag would.
    Result sliderDrag(int ganged, int runs, int positions);

private:
    std::unique_ptr<HDRParameterDialog> open(int ganged);
    double takeRequestCount();
    Result measure(int runs, int steps, const std::function<void()> &prepare, const std::function<void(int)> &step);

    SimulatorRig &m_rig;
};
