#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class EventLoopProbe;
class HDRParameterDialog;
class HdrController;
class PanelStandIn;
class ProgramParts;
class RequestWatch;
class SimulatorRig;

// The program's window, shown offscreen with its panel connected to the hub
// stand-in, against the simulated units: opened as the last run left the
// settings, and brought to rest between measures. Unit 0 of the rig is the
// current unit, units 1 to n make a gang of n.
class BenchWindow
{
public:
    static constexpr int ReadyTimeoutMs = 60000;

    BenchWindow(SimulatorRig &rig, PanelStandIn &panel);
    ~BenchWindow();

    // The host names of units 1 to count, as the window saves a gang.
    QStringList gangOf(int count) const;
    QString unitAddress(int unit) const;

    // Saves the address and the gang as the last run left them, and shows
    // the window. Returns at once: the window comes up on its own.
    void show(const QString &address, const QStringList &gangHostNames);
    // Waits until the window identified its unit, read it, discovered the
    // units, built a gang of this size and showed its page on the panel, and
    // every request so far was answered.
    bool waitReady(int ganged);
    // Holds the periodic read-back off (a pass that writes nothing) and waits
    // until every request sent so far to the current unit and the answering
    // ganged units was answered: the discovery's read, which goes after them
    // to the current unit, came back and the gang's links have nothing waiting.
    bool settle();

    struct Pass
    {
        double millis = 0; // from forcing the pass until the last unit received its last set
        int sets = 0;      // the sets the units received meanwhile
    };
    // Settles, then forces a pass that writes every parameter and waits
    // until the current unit and every answering ganged unit received all
    // of them; nothing when either did not end. The probe, if given, watches
    // the event loop from forcing the pass until its end.
    std::optional<Pass> forcedPass(RequestWatch &watch, EventLoopProbe *probe = nullptr);
    // Closes the window as the user does (settings saved, every link
    // stopped) and returns the time that took in ms; then waits until the
    // hub stand-in saw the program go.
    double close();

    // Units that take requests in and never answer: nothing waits for them.
    void setSilent(const QStringList &addresses) { m_silent = addresses; }
    // The current unit and the ganged units, less the silent ones.
    QStringList answeringUnits() const;

    HDRParameterDialog &dialog() const;
    HdrController &controller() const;
    // Types an address into the address field and presses Return.
    void typeAddress(const QString &address);

private:
    bool gangIdle() const;

    SimulatorRig &m_rig;
    PanelStandIn &m_panel;
    std::unique_ptr<ProgramParts> m_parts;
    QStringList m_silent;
    int m_discovered = 0;
};
