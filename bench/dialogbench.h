#pragma once

#include "samplestats.h"

class PanelStandIn;
class RequestWatch;
class SimulatorRig;

// The main window, shown offscreen, against units on loopback that answer
// at once (or as late as asked): the read-back of a channel, forced passes
// over a gang and a slider drag. Unit 0 of the rig is the current unit,
// units 1 to n the gang. Each measure ends when the units received what it
// sends, or when the window shows what the units sent back.
class DialogBench
{
public:
    struct Result
    {
        SampleStats millis;      // per cycle, pass or position
        SampleStats lagMillis;   // a drag: the last position until every unit holds it
        double requests = 0;     // requests the units received per cycle, pass or position
        bool ready = false;      // the window came up and every measure ended
    };

    DialogBench(SimulatorRig &rig, PanelStandIn &panel, RequestWatch &watch);

    // The channel chooser switched to the other channel, which the window
    // reads at once: until every parameter holds the unit's value, while the
    // current unit delays each reply by replyDelayMs.
    Result readBack(int runs, int cycles, int replyDelayMs);
    // A pass that writes every parameter: until the current and every
    // ganged unit received all of them.
    Result forcedPass(int ganged, int runs, int passes);
    // redGainSlider moved over 'positions' positions, events processed after
    // each as between mouse moves: the window's time per position.
    Result sliderDrag(int ganged, int runs, int positions);

private:
    SimulatorRig &m_rig;
    PanelStandIn &m_panel;
    RequestWatch &m_watch;
};
