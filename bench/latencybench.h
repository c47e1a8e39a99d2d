#pragma once

#include "samplestats.h"

#include <QString>

#include <vector>

class BenchWindow;
class EventLoopProbe;
class PanelStandIn;
class RequestWatch;
class SimulatorRig;

// The window against units that answer late, as a network does: forced
// passes, the panel knob turned through the hub stand-in, and how long the
// window's event loop stood still meanwhile. Unit 0 of the rig is the
// current unit, units 1 to n the gang.
class LatencyBench
{
public:
    static constexpr int Detents = 40;
    static constexpr int DetentMs = 25;
    // One step of the slider per detent: the encoder accumulator's smallest step.
    static constexpr float DetentIncrement = 20.0f;

    struct Settings
    {
        int passes = 5;
        int turns = 3;
        int idleCycles = 2; // periodic read-backs watched while idle
    };

    struct Case
    {
        int delayMs = 0;
        int ganged = 0;
        int stalled = 0; // the last ganged units that take requests in and never answer
    };

    struct Result
    {
        Case setup;
        bool ready = false;
        int failures = 0; // measures that did not end within their time-out
        SampleStats passMs;         // start of a forced pass until every unit received its sets
        SampleStats knobLagMs;      // last detent until every unit holds the final value
        SampleStats displayWaitMs;  // per turn, the longest wait of a detent for its value on the display
        SampleStats stallOpeningMs; // longest stall from showing the window until it is ready
        SampleStats stallIdleMs;
        SampleStats stallPassMs;
        SampleStats stallTurningMs;
        SampleStats closingMs;      // closing the window
        double setsPerTurn = 0;     // sets of the turned parameter each unit received per turn
    };

    struct NameResult
    {
        bool ready = false;
        SampleStats lookupMs; // typing the name until the unit counts as not answering
        double stallMs = 0;
    };

    LatencyBench(SimulatorRig &rig, PanelStandIn &panel, RequestWatch &watch, Settings settings);

    Result run(const Case &setup);
    // The window whose saved address is a host name the resolver cannot
    // answer with a unit: shown with it, then the first unit typed in
    // (with its gang), then the name typed in again.
    NameResult runUnresolvable(const QString &hostName, int delayMs, int ganged);

private:
    struct Samples;

    void setFaults(int units, int delayMs, int stalled);
    bool forcedPass(BenchWindow &window, EventLoopProbe &probe, Samples &samples);
    bool turn(BenchWindow &window, EventLoopProbe &probe, int direction, Samples &samples);
    bool idle(BenchWindow &window, EventLoopProbe &probe, int delayMs, Samples &samples);

    SimulatorRig &m_rig;
    PanelStandIn &m_panel;
    RequestWatch &m_watch;
    Settings m_settings;
};
