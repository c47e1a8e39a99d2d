#pragma once

#include "remoterequest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

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

    // A message as liblo gives it: its address, its type tags and values.
    struct Message
    {
        QByteArray path;
        QByteArray types;
        QList<double> numbers; // each argument as a number (NaN when it is none)
        QStringList texts;     // each argument as text (empty when it is none)
    };

    static Result route(const Message &message);
    // Decodes one serialised message with liblo; false when it is malformed.
    static bool decode(const QByteArray &bytes, Message &message);
    // The full address of a parameter, for feedback.
    static QByteArray address(int slot);
    // A parameter's value as the remote side reads it: a float in shown units
    // for sliders, the unit's number for choosers, 0 or 1 for switches.
    static double remoteValue(int slot, int value);
};
