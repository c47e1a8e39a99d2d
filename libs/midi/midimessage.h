#pragma once

// One channel message of the MIDI byte stream, as the decoder gives it.
struct MidiMessage
{
    enum class Type { NoteOff, NoteOn, PolyPressure, ControlChange, ProgramChange, ChannelPressure, PitchBend };

    Type type = Type::ControlChange;
    int channel = 1; // 1 to 16, as controllers and mapping files count them
    int number = 0;  // note or controller number; 0 for program, pressure and pitch bend
    int value = 0;   // velocity, pressure or controller value (0 to 127); the program; pitch bend 0 to 16383

    bool operator==(const MidiMessage &other) const
    {
        return type == other.type && channel == other.channel && number == other.number && value == other.value;
    }
};
