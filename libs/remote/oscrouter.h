#pragma once

#include "osccodec.h"
#include "remoterequest.h"

#include <QByteArray>
#include <QString>

#include <variant>

// Turns one OSC message into what it asks of the program, by the table of
// addresses (OscCommand); what a message cannot ask is refused.
class OscRouter
{
public:
    // A subscription's cookie is a whole number up to this, so that every
    // tool can send it back as an int32.
    static constexpr double LargestCookie = 0x7fffffff;

    enum class Refusal { UnknownAddress, BadArguments, OutOfRange };
    using Result = std::variant<RemoteRequest, Refusal>;

    using Message = OscCodec::Message;

    static Result route(const Message &message);
    // The full address of a parameter, for feedback.
    static QByteArray address(int slot);
    // A parameter's value as the remote side reads it: a float in shown units
    // for sliders, the unit's number for choosers, 0 or 1 for switches.
    static double remoteValue(int slot, int value);
};
