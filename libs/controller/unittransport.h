#pragma once

#include <QByteArray>

// How a unit's worker thread reaches the unit: one blocking request at a
// time. The program's transport speaks HTTP through the device link; tests
// put scripted units in its place.
class UnitTransport
{
public:
    struct Result
    {
        bool ok = false;       // the unit answered 200
        bool answered = false; // a whole reply arrived, whatever its status
        QByteArray body;       // a read's value when ok
    };

    virtual ~UnitTransport() = default;
    virtual Result get(const QByteArray &name, const QByteArray &format, int bodyLimit) = 0;
    virtual Result set(const QByteArray &name, const QByteArray &value) = 0;
    // Drops the connection; called on the worker thread before it ends.
    virtual void close() {}
    // Called from another thread: a request that is waiting returns soon.
    virtual void interrupt() {}
};
