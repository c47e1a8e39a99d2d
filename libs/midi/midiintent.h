#pragma once

// What a control of a MIDI controller asks of the program, before it is
// aimed at a unit and channel: the controller's entry point takes it from
// here, as it takes the window's, the panel's and OSC's requests.
enum class MidiAction { AbToggle, Undo, Redo, ChannelNext, ChannelPrevious, UnitNext, UnitPrevious, ResetAll };

struct MidiIntent
{
    enum class Kind {
        Set,    // slot, value: a fader's place as the parameter's value (slider position, chooser row, switch state)
        Step,   // slot, steps, size: an encoder's detents, each one step of the window's arrow keys
        Press,  // slot: a button on a parameter (toggles a switch, puts a slider back to its reset value, moves a chooser on)
        Action, // action: a button on one of the program's commands
    };
    // The window's step rules: an arrow key's step, ten times finer (Shift), ten times coarser (Ctrl).
    enum class Size { Normal, Fine, Coarse };

    Kind kind = Kind::Set;
    int slot = -1;
    int value = 0;
    int steps = 0;
    Size size = Size::Normal;
    MidiAction action = MidiAction::Undo;

    bool operator==(const MidiIntent &other) const
    {
        return kind == other.kind && slot == other.slot && value == other.value && steps == other.steps
               && size == other.size && action == other.action;
    }
};
