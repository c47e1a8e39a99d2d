#pragma once

#include "parametercatalogue.h"

#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

// The parameters of one channel of the current unit as the window shows
// them, and what was last written to (or taken over from) the units. A value
// is a slider's position, a chooser's row, or 0 and 1 for a switch.
//
// A value is known when it is the current unit's own or the user's; one the
// window could not read, or one outside a slider's range (shown at the
// nearer end), is not, and a forced pass leaves it out.
class ParameterState
{
public:
    using PC = ParameterCatalogue;

    // Every control at its start; what was sent starts equal to it.
    ParameterState();

    int value(int slot) const { return m_value[index(slot)]; }
    int sent(int slot) const { return m_sent[index(slot)]; }
    bool known(int slot) const { return m_known[index(slot)]; }
    // Counts the user's changes of a slot, so a reply to a read sent before
    // the latest one can be recognised.
    quint64 userChanges(int slot) const { return m_userChanges[index(slot)]; }

    // The user set a control (kept within its range). Returns whether the value changed.
    bool setByUser(int slot, int value);
    // A unit's value of a slot, as fromWire() reads it. A slider's value
    // outside its range is shown at the nearer end and counts as sent, so no
    // pass writes what only the range made of it; a reply that holds no value
    // leaves the control. Returns whether the shown value changed.
    bool takeFromUnit(int slot, std::optional<int> unitValue);
    // A value the units hold already: read when the channel was chosen, or
    // written to it from elsewhere. It is shown and counts as sent, so no
    // pass writes it. Returns whether the shown value changed.
    bool takeLoaded(int slot, std::optional<int> unitValue);

    // The slots a pass writes, in pass order: those whose value differs from
    // what was sent, and in a forced pass every known one too. They count as
    // sent from here on.
    std::vector<int> pass(bool force);

private:
    static std::size_t index(int slot) { return static_cast<std::size_t>(slot); }

    std::array<int, PC::SlotCount> m_value{};
    std::array<int, PC::SlotCount> m_sent{};
    std::array<bool, PC::SlotCount> m_known{};
    std::array<quint64, PC::SlotCount> m_userChanges{};
};
