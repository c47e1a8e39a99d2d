#include "midipickup.h"

bool MidiPickup::take(std::optional<int> previous, int value, int shown)
{
    if (!m_engaged) {
        // Passing the shown value (or leaving it) counts as reaching it: a
        // 7-bit fader's steps are coarser than a slider's.
        const bool passed = previous && ((*previous <= shown && value >= shown) || (*previous >= shown && value <= shown));
        m_engaged = value == shown || passed;
    }
    return m_engaged;
}
