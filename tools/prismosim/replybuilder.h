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
};
