#pragma once

#include "look.h"
#include "target.h"

#include <QString>
#include <QVector>

// What any input (the window, the panel, OSC, MIDI) asks of the controller.
// An input that changes values carries the place it was made for; one that
// chooses what is adjusted (a channel, a unit) carries what it chooses.
struct Input
{
    enum class Kind {
        Set,           // slot, value: a slider's position, a chooser's row, a switch's state
        Nudge,         // slot, value: positions to add to a slider
        Toggle,        // slot: a switch flipped
        Reset,         // slot: a slider back to its reset position
        ResetAll,      // every slider back, when Adjust is on
        BeginGesture,  // the changes until EndGesture are one step of the history
        EndGesture,
        Undo,
        Redo,
        StoreA,
        StoreB,
        ToggleLooks,   // puts the other stored look on the units
        RecallLook,    // look
        Copy,          // the target's look to each place of copyTo
        MatchGang,     // every ganged unit takes the target's known values
        SelectChannel, // value: the channel number
        StepChannel,   // value: +1 the next channel of the list, -1 the one before
        SelectUnit,    // text: a listed unit's host name or address (again, when it already is current)
        StepUnit,      // value: +1 the next unit of the list, -1 the one before
    };

    Kind kind = Kind::Set;
    Target target;
    int slot = -1;
    int value = 0;
    QString text;
    Look look;
    QVector<Target> copyTo;

    static Input of(Kind kind, const Target &target, int slot = -1, int value = 0)
    {
        Input input;
        input.kind = kind;
        input.target = target;
        input.slot = slot;
        input.value = value;
        return input;
    }
    static Input selectChannel(int channel) { return of(Kind::SelectChannel, Target(), -1, channel); }
    static Input selectUnit(const QString &nameOrAddress)
    {
        Input input = of(Kind::SelectUnit, Target());
        input.text = nameOrAddress;
        return input;
    }
    // Whether the input changes what is adjusted rather than values.
    bool isNavigation() const
    {
        return kind == Kind::SelectChannel || kind == Kind::StepChannel || kind == Kind::SelectUnit
               || kind == Kind::StepUnit;
    }
};
