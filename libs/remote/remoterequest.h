#pragma once

#include <QString>

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
        Subscribe,   // value: the subscriber's port
        Unsubscribe, // value: the port
    };

    Kind kind = Kind::Undo;
    int slot = -1;
    int value = 0;
    QString text;
};
