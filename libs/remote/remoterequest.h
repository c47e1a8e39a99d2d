#pragma once

#include <QString>

#include <optional>

// What a remote-control message asks of the program.
struct RemoteRequest
{
    enum class Kind {
        Set,         // slot, value (a slider's position, a chooser's row, a switch's state)
        Nudge,       // slot, value (positions to add)
        Reset,       // slot (back to its reset position)
        ResetAll,    // the reset button
        Channel,     // value: the channel (0 the 4K/UHD channel, 1 to 4 Video 1 to 4)
        Unit,        // text: host name or address
        RecallLook,  // text: the look's name
        Undo,
        Redo,
        StoreA,
        StoreB,
        ToggleLooks,
        MatchGang,   // every ganged unit takes the current channel's known values
        Subscribe,   // value: the subscriber's port (0: the port it sends from); cookie when it echoes one
        Unsubscribe, // value: the port; cookie
    };

    Kind kind = Kind::Undo;
    int slot = -1;
    int value = 0;
    QString text;
    // Asks for the current value of what the kind sets (a parameter, the
    // channel, the unit) instead of setting it.
    bool query = false;
    std::optional<quint32> cookie;
    // What obeying costs, in the budget's units (a set costs 1).
    int cost = 1;
};
