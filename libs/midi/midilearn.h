#pragma once

#include "midimapping.h"
#include "midimessage.h"

#include <QVector>

#include <optional>

// Learning a control: the next control moved on the controller is mapped to
// the chosen parameter or command. A note is a note at once; a controller's
// first values tell its encoding (see guess), a value on its 14-bit partner
// (cc + 32) an absolute14 pair. Other controls moved meanwhile are ignored.
class MidiLearn
{
public:
    // Values of one control looked at before deciding.
    static constexpr int Sample = 4;

    // `target` holds the parameter or command; the rest is learned.
    void start(const MidiMapping &target);
    void cancel() { m_active = false; }
    bool active() const { return m_active; }

    // A message from the controller: the mapping once it is decided.
    std::optional<MidiMapping> offer(const MidiMessage &message);
    // Decides with the values so far (after a quiet moment); nothing when no control moved.
    std::optional<MidiMapping> finish();

    // The encoding a controller's first values suggest: a button sends a
    // value and 0; a fader moves steadily (three values or more rising or
    // falling); an encoder turned slowly repeats small steps: around 0 and
    // 127 in two's complement, around 64 as an offset, 1 and 65 and above as
    // sign and magnitude (told from two's complement only when turned both
    // ways); anything else is taken for a fader.
    static MidiEncoding::Mode guess(const QVector<int> &values);

private:
    std::optional<MidiMapping> decide(MidiEncoding::Mode mode);

    MidiMapping m_mapping;
    bool m_active = false;
    QVector<int> m_values;
};
