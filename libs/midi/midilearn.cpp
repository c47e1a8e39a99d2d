#include "midilearn.h"

#include <QSet>

#include <cstdlib>

using Mode = MidiEncoding::Mode;

namespace {
// The largest detent count taken for an encoder's (accelerated) turn.
constexpr int LargestSteps = 15;

bool fits(Mode mode, const QVector<int> &values)
{
    for (int value : values) {
        const int steps = std::abs(MidiEncoding::steps(mode, value));
        if (steps == 0 || steps > LargestSteps)
            return false;
    }
    return true;
}
} // namespace

void MidiLearn::start(const MidiMapping &target)
{
    m_mapping = MidiMapping();
    m_mapping.parameter = target.parameter;
    m_mapping.slot = target.slot;
    m_mapping.action = target.action;
    m_values.clear();
    m_active = true;
}

std::optional<MidiMapping> MidiLearn::offer(const MidiMessage &message)
{
    if (!m_active)
        return std::nullopt;
    if (message.type == MidiMessage::Type::NoteOn && m_values.isEmpty()) {
        m_mapping.channel = message.channel;
        m_mapping.note = true;
        m_mapping.number = message.number;
        return decide(Mode::Note);
    }
    if (message.type != MidiMessage::Type::ControlChange)
        return std::nullopt;
    if (m_values.isEmpty()) {
        m_mapping.channel = message.channel;
        m_mapping.note = false;
        m_mapping.number = message.number;
    } else if (message.channel != m_mapping.channel) {
        return std::nullopt;
    } else if (m_mapping.number < 32 && message.number == m_mapping.number + 32) {
        return decide(Mode::Absolute14);
    } else if (message.number != m_mapping.number) {
        return std::nullopt;
    }
    m_values.append(message.value);
    const Mode mode = guess(m_values);
    if (m_values.size() >= Sample || mode == Mode::Button)
        return decide(mode);
    return std::nullopt;
}

std::optional<MidiMapping> MidiLearn::finish()
{
    if (!m_active || m_values.isEmpty())
        return std::nullopt;
    return decide(guess(m_values));
}

std::optional<MidiMapping> MidiLearn::decide(Mode mode)
{
    // A command runs on a press, whatever the control.
    if (m_mapping.slot < 0 && !MidiEncoding::isPress(mode))
        mode = Mode::Button;
    m_mapping.mode = mode;
    m_active = false;
    return m_mapping;
}

Mode MidiLearn::guess(const QVector<int> &values)
{
    const QSet<int> distinct(values.begin(), values.end());
    if (distinct.size() == 2 && distinct.contains(0))
        return Mode::Button;
    if (distinct.size() >= 3) {
        bool rising = true, falling = true;
        for (int i = 1; i < values.size(); ++i) {
            rising = rising && values[i] > values[i - 1];
            falling = falling && values[i] < values[i - 1];
        }
        if (rising || falling)
            return Mode::Absolute;
    }
    for (Mode mode : {Mode::RelativeTwos, Mode::RelativeOffset, Mode::RelativeSigned}) {
        if (fits(mode, values))
            return mode;
    }
    return Mode::Absolute;
}
