#pragma once

#include "hdrparameterdialog.h"
#include "programparts.h"
#include "simulatorrig.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class GangDialog;

// The whole window against three simulated units at 127.0.0.11 on, host
// names "prismo-N", the third running one 4K/UHD channel. The rig runs on its
// own thread, the program's settings live in a temporary folder, and the
// window talks to the rig's port (and a hub's, when given). Modal boxes the
// test does not answer itself are refused at once.
class DialogFixture
{
public:
    DialogFixture();
    ~DialogFixture();

    SimulatorRig &rig() { return *m_rig; }
    // Sets a unit's faults as prismo-sim's fault settings read them ("stall", "fail=NAME").
    void setFaults(int unit, const QString &faults);
    static QString address(int unit) { return QStringLiteral("127.0.0.%1").arg(11 + unit); }

    // Stores the address (and gang host names) as the last run left them.
    void saveSettings(const QString &address, const QStringList &gang = {});

    // Opens the window with the saved settings (saving the address first
    // unless it is null) and waits until it has settled.
    HDRParameterDialog &open(const QString &address, quint16 hubPort = 0);
    HDRParameterDialog &dialog() { return m_parts->window(); }
    HdrController &controller() { return m_parts->controller(); }
    // Closes the window as the program ends: the settings are saved.
    void close() { m_parts.reset(); }
    // Waits until no request waits for a unit; false after the bound.
    bool settle(int timeoutMs = 10000);

    // The sets the units received, each as "<address> <name> <value>", unit
    // by unit (in address order) and in order for each unit.
    QStringList sets() const;
    void clearRequests() { m_rig->clearRequestLog(); }

    // Triggers the context menu's entry with this text, which must be there and enabled.
    void trigger(const QString &text);
    // Runs the gang dialog (from the context menu) and answers it with what
    // the function does to it and returns.
    void editGang(const std::function<int(GangDialog &)> &answer);
    // Gangs the units with these host names through the gang dialog.
    void gang(const QStringList &hostNames);

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<SimulatorRig> m_rig;
    std::unique_ptr<ProgramParts> m_parts;
};
