#pragma once

#include <QString>

#include <optional>

// How a MIDI control carries its value, and the conversions between its
// values and a parameter's.
//
//   absolute        a 7-bit controller value, 0 to 127, spread over the range
//   absolute14      a 14-bit pair: the high 7 bits on controller N (0 to 31),
//                   the low 7 bits on N + 32; 0 to 16383 over the range
//   relative-twos   an encoder's detents in two's complement: 1 to 63 up,
//                   127 down to 64 for -1 to -64
//   relative-offset detents around 64: 65 is +1, 63 is -1
//   relative-signed detents as sign and magnitude: 1 to 63 up, 65 to 127
//                   for -1 to -63
//   note            a key or pad sending notes: a note-on presses
//   button          a button on a controller: a value above 0 presses
class MidiEncoding
{
public:
    enum class Mode { Absolute, Absolute14, RelativeTwos, RelativeOffset, RelativeSigned, Note, Button };

    static QString name(Mode mode);
    static std::optional<Mode> byName(const QString &name);

    static bool isAbsolute(Mode mode) { return mode == Mode::Absolute || mode == Mode::Absolute14; }
    static bool isRelative(Mode mode)
    {
        return mode == Mode::RelativeTwos || mode == Mode::RelativeOffset || mode == Mode::RelativeSigned;
    }
    static bool isPress(Mode mode) { return mode == Mode::Note || mode == Mode::Button; }

    // The largest value of an absolute control: 127, or 16383 for a 14-bit pair.
    static int largest(Mode mode) { return mode == Mode::Absolute14 ? 16383 : 127; }

    // The detents a relative control's 7-bit value stands for (0: none).
    static int steps(Mode mode, int value);

    // A control's value (0 to `largest`) as a parameter's value: a slider's
    // position over its range, a chooser's row (the range cut into equal
    // parts, one a row), a switch's state (on from half-way).
    static int parameterValue(int slot, int value, int largest);
    // The other way, for feedback: the control's value that shows the
    // parameter's value.
    static int controlValue(int slot, int value, int largest);
};
