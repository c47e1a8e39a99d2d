#pragma once

#include <QString>

class PanelStandIn;
class SimulatorRig;

// The window with remote control over OSC while a sender floods it: bundles
// of 64 look recalls or of 64 unit switches, at a rate for a while. How long
// the event loop stood still meanwhile, and what the flood cost in memory.
class OscFloodBench
{
public:
    enum class Flood { LookRecalls, UnitSwitches };

    struct Result
    {
        bool ready = false;
        double stallMs = 0;       // longest stall of the event loop during the flood
        double residentGrowthMb = 0; // resident memory after the flood less before it
        int packets = 0;
    };

    OscFloodBench(SimulatorRig &rig, PanelStandIn &panel);

    Result run(Flood flood, int packetsPerSecond, int seconds);

private:
    SimulatorRig &m_rig;
    PanelStandIn &m_panel;
};
