#pragma once

#include <optional>

// Soft take-over of an absolute control (a fader or knob without detents):
// once the shown value has moved away from it (another channel or unit, or
// another input), the control changes nothing until it reaches the shown
// value or passes it, so the value never jumps to where the control was left.
class MidiPickup
{
public:
    bool engaged() const { return m_engaged; }
    void release() { m_engaged = false; }

    // The control asks for `value` (a parameter value), having asked for
    // `previous` before (none when it has not been heard), while `shown` is
    // shown: whether it holds the parameter now.
    bool take(std::optional<int> previous, int value, int shown);

private:
    bool m_engaged = false;
};
