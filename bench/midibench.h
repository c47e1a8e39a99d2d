#pragma once

#include "samplestats.h"

#include <QString>

class PanelStandIn;
class RequestWatch;
class SimulatorRig;

// MIDI control against a unit on loopback: the window with MIDI on through
// JACK's dummy back end, on a JACK server of the benchmark's own (the name
// in JACK_DEFAULT_SERVER, which main sets), and a controller (RtMidi) on
// that server connected to the program's input. Unit 0 of the rig is the
// current unit, without a gang.
class MidiBench
{
public:
    // The dummy driver's period: 32 frames at 48 kHz, 0.67 ms.
    static constexpr int PeriodFrames = 32;
    static constexpr int SampleRate = 48000;

    struct Result
    {
        SampleStats latencyMs;  // one detent sent until the unit received its write
        SampleStats burstMs;    // a burst's first message sent until the unit received its sum
        SampleStats burstSets;  // the writes the unit received a burst
        SampleStats burstStallMs; // the event loop's longest stall from the burst until the unit had the sum
        bool ready = false;
        QString why; // when not ready
    };

    MidiBench(SimulatorRig &rig, PanelStandIn &panel, RequestWatch &watch);

    // `messages` single detents one after another, each waited for, then
    // `bursts` bursts of `burstSize` detents of a fine-stepped encoder, sent
    // as fast as the controller can, alternating in direction.
    Result run(int messages, int bursts, int burstSize);

private:
    SimulatorRig &m_rig;
    PanelStandIn &m_panel;
    RequestWatch &m_watch;
};
