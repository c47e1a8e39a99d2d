#pragma once

#include <QString>

class SimulatorRig;

// The commands prismo-sim takes on standard input while it runs, so that a
// user or a test driving the process can switch units off and on, set and
// clear faults, and read or change parameters at a unit.
class RigCommand
{
public:
    // Carries out one command line. The answer is one or more lines; its
    // last line begins with "ok" or with "error:". Sets quit for "quit".
    static QString execute(SimulatorRig &rig, const QString &line, bool *quit);
    static QString helpText();
};
