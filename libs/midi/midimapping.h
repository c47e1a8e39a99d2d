#pragma once

#include "midiencoding.h"
#include "midiintent.h"

#include <QString>
#include <QStringList>

// One control of a controller and what it drives: a parameter of the
// parameter table (by its remote name, as OSC names it) or a command.
struct MidiMapping
{
    int channel = 1;    // 1 to 16
    bool note = false;  // `number` is a note rather than a controller
    int number = 0;     // 0 to 127; a 14-bit pair's high half (0 to 31)
    QString parameter;  // as the mapping file names it: "gain/red", "undo", ...
    int slot = -1;      // the table's slot, or -1 for a command
    MidiAction action = MidiAction::Undo;
    MidiEncoding::Mode mode = MidiEncoding::Mode::Absolute;
    MidiIntent::Size step = MidiIntent::Size::Normal; // relative controls
    bool pickup = true;   // absolute controls take over softly (off for motor faders)
    bool feedback = true; // the control is sent the value when it changes

    // Sets `parameter` and what it names; false for a name that is neither
    // a parameter nor a command.
    bool setTarget(const QString &name);
    // The commands a button can run, by their names in mapping files.
    static QStringList actionNames();

    bool operator==(const MidiMapping &other) const;
    bool operator!=(const MidiMapping &other) const { return !(*this == other); }
};
