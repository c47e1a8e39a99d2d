#pragma once

#include "devicereply.h"
#include "faultsettings.h"

#include <QByteArray>

// Puts a reply on the wire as the units do: a counted body followed by one
// line end that the count leaves out, or the body in chunks, shaped by the
// faults in force.
class ReplyBuilder
{
public:
    static QByteArray reasonPhrase(int status);
    static QByteArray build(const DeviceReply &reply, const FaultSettings &faults, bool closeAfter);
    // What a unit with the garbage fault sends for its Nth request: one line
    // of printable junk that looks like no HTTP reply, the same for the same N.
    static QByteArray garbage(quint64 requestNumber);
    // The part of a reply that a unit with the cut fault sends before it closes.
    static QByteArray cut(const QByteArray &reply, const FaultSettings &faults);
};
