#pragma once

#include "hdrparameterdialog.h"
#include "simulatorrig.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class GangDialog;

// A window against simulated units: the rig runs on its own thread, the
// program's settings live in a temporary folder, and every link of the
// program goes to the rig's port.
class DialogFixture
{
public:
    // One request a unit received, taken apart.
    struct Request
    {
        QString address;
        QString action; // "get" or "set"
        QString name;
        QString value;  // the value of a set, the reply format of a get
    };

    // Units numbered 1..n at 127.0.0.11 on, host names "prismo-N"; the third
    // runs one 4K/UHD channel.
    static RigConfig numberedRig(int units = 3);

    explicit DialogFixture(RigConfig config = numberedRig());
    ~DialogFixture();

    SimulatorRig &rig() { return *m_rig; }
    // Sets a unit's faults as prismo-sim's fault settings read them ("stall", "fail=NAME").
    void setFaults(int unit, const QString &faults);
    static QString address(int unit) { return QStringLiteral("127.0.0.%1").arg(11 + unit); }

    // Stores the address (and gang host names) as the last run left them.
    void saveSettings(const QString &address, const QStringList &gang = {});
    QString storedAddress() const;
    QStringList storedGang() const;

    HDRParameterDialog &open(const QString &address, bool usePanel = false);
    HDRParameterDialog &dialog() { return *m_dialog; }
    void close() { m_dialog.reset(); }

    // The requests the units received, all or those of one action.
    QList<Request> requests(const QString &action = QString()) const;
    QList<Request> sets() const { return requests(QStringLiteral("set")); }
    QList<Request> gets() const { return requests(QStringLiteral("get")); }
    // Each request as "<address> <action> <name> <value>".
    static QStringList describe(const QList<Request> &requests);
    void clearRequests() { m_rig->clearRequestLog(); }

    // Lets the hold pass as its timer tick would, and runs one periodic read-back.
    void readBack();
    void releaseHold();
    // Runs the gang dialog (from the context menu) and answers it with what
    // the function does to it; returns the dialog's result.
    int editGang(const std::function<int(GangDialog &)> &answer);
    // Gangs the units with these host names through the gang dialog.
    void gang(const QStringList &hostNames);

    // A unit's parameter for the first channel of a four-channel unit.
    static QByteArray vid(int channel, const char *suffix);

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<SimulatorRig> m_rig;
    std::unique_ptr<HDRParameterDialog> m_dialog;
};
