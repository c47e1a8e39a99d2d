#pragma once

#include "faultsettings.h"
#include "rigconfig.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QThread;
class SimulatedUnit;

// A rig of simulated units served on a thread of its own, so that code on
// any other thread (a test, or the program's blocking device link) can talk
// to the units while it drives them. Every function may be called from any
// thread but the rig's own; units are numbered from 0 here.
class SimulatorRig : public QObject
{
    Q_OBJECT

public:
    // The request log keeps this many of the latest lines.
    static constexpr int KeptLogLines = 20000;

    explicit SimulatorRig(RigConfig config, QObject *parent = nullptr);
    ~SimulatorRig() override;
    SimulatorRig(const SimulatorRig &) = delete;
    SimulatorRig &operator=(const SimulatorRig &) = delete;

    // Switches every unit on, each on its own address and all on one port.
    // Port 0 picks a free port. On failure nothing runs and error says why.
    bool start(quint16 port, QString *error);
    void stop();
    bool isStarted() const { return m_thread != nullptr; }
    quint16 port() const { return m_port; }

    const RigConfig &config() const { return m_config; }
    int unitCount() const { return m_config.units.size(); }
    // A unit by its number counted from 1, its address or its host name; -1 if none.
    int unitIndex(const QString &reference) const { return m_config.unitIndex(reference); }

    // A unit switched off refuses connections and drops those it had; switched
    // on again it listens on the rig's port with the parameters it had.
    bool switchOn(int unit, QString *error = nullptr);
    void switchOff(int unit);
    bool isOn(int unit) const;

    FaultSettings faults(int unit) const;
    void setFaults(int unit, const FaultSettings &faults);

    // A parameter as the unit holds it, and a change made at the unit itself.
    std::optional<QByteArray> parameter(int unit, const QByteArray &name) const;
    bool setParameter(int unit, const QByteArray &name, const QByteArray &value);

    // Every request the units received, in order, as "<address> <request line>".
    QStringList requestLog() const;
    void clearRequestLog();

signals:
    // Emitted on the rig's thread for each request, as it arrives.
    void requestLogged(const QString &line);

private:
    template <typename Work> auto onRigThread(Work &&work) const -> decltype(work());
    bool switchOnHere(int unit, quint16 port, QString *error, bool *portTaken);
    void appendToLog(const QString &line);
    bool validUnit(int unit) const { return unit >= 0 && unit < static_cast<int>(m_units.size()); }

    RigConfig m_config;
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<QObject> m_context;                  // lives on the rig's thread, to run work there
    std::vector<std::unique_ptr<SimulatedUnit>> m_units; // created, used and destroyed on the rig's thread
    quint16 m_port = 0;
    mutable QMutex m_logMutex;
    QStringList m_log;
};
