#pragma once

#include "unitlinks.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

// Units that exist only in the test, reached through transports that answer
// on each unit's worker thread as a unit would: every parameter of the
// table on five channels at its start value, product id, name, version,
// channel mode and the list of units. The test changes values and faults at
// any time from its own thread; every request is logged.
class FakeUnits
{
public:
    // Units 127.0.0.11, 127.0.0.12, ... with host names "prismo-1 " ... (the
    // list's trailing blank included) and four channels.
    explicit FakeUnits(int count = 3);
    ~FakeUnits();

    UnitLinks::TransportFactory transports();
    static QString address(int unit) { return QStringLiteral("127.0.0.%1").arg(11 + unit); }
    static QString hostName(int unit) { return QStringLiteral("prismo-%1 ").arg(unit + 1); }

    QByteArray value(int unit, const QByteArray &name) const;
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
