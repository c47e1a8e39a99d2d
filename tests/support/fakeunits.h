#pragma once

#include "unitconfig.h"
#include "unitlinks.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

// Units that exist only in the test, reached through transports that answer
// on each unit's worker thread as a unit would: the parameters of a
// simulated unit (prismo-sim's ParameterStore) and the list of units. The
// test changes values and faults at any time from its own thread; every
// request is logged.
class FakeUnits
{
public:
    // Units numbered as in a simulated rig (UnitConfig::numbered), unit 0
    // being the first, all with four channels.
    explicit FakeUnits(int count = 3);
    ~FakeUnits();

    UnitLinks::TransportFactory transports();
    static QString address(int unit) { return UnitConfig::numbered(unit + 1).address; }
    // As discovery reads it from the list: with a blank at its end.
    static QString hostName(int unit) { return UnitConfig::numbered(unit + 1).hostName + QLatin1Char(' '); }

    QByteArray value(int unit, const QByteArray &name) const;
    // Any text, for a parameter the unit has.
    void setValue(int unit, const QByteArray &name, const QByteArray &value);
    // Off: no request is answered. Failing: a parameter answered with 500.
    void setOff(int unit, bool off);
    void setFailing(int unit, const QByteArray &name, bool failing = true);
    // Every reply takes this long (on the unit's own thread).
    void setDelay(int unit, int milliseconds);

    // The requests ("get" or "set") one unit received, in order, each as
    // "<name> <format>" or "<name> <value>".
    QStringList requests(int unit, const QString &action) const;
    void clearLog();

private:
    class Transport;
    struct Unit;
    template<typename Change>
    void change(int unit, Change change);

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<Unit>> m_units;
    QByteArray m_listReply;
};
