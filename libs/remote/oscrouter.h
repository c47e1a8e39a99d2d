#pragma once

#include "remoterequest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <variant>

// Turns one OSC message into what it asks of the program. The addresses
// (every one begins with /prismolink):
//
//   /<name> N           set a parameter: sliders in shown units (1.25), clamped
//                       to their range; range choosers by the units' own
//                       number, refused when no entry has it; switches 0 or 1
//   /nudge/<name> N     add N (shown units) to a slider
//   /reset/<name>       a slider back to its reset position
//   /reset              every slider back, as the reset button
//   /channel N          select channel N (0: 4K/UHD, 1 to 4: Video 1 to 4)
//   /unit S             make the unit with host name or address S current
//   /look/recall S      recall the look file named S
//   /undo, /redo, /ab/store/a, /ab/store/b, /ab/toggle
//   /gang/match         every ganged unit takes the current channel's values
//   /subscribe P        send what changes to the sender's address, port P
//   /unsubscribe P
//
// where <name> is a parameter's remote name from the parameter table
// (gain/red, saturation, range/in, sdr-preview, ...). Numbers may be int32,
// float, double or int64; switches also take T and F.
class OscRouter
{
public:
    static const char Root[];

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
    // A listing of every address, for --help-osc.
    static QString help();
};
