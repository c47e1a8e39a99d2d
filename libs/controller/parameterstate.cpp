#include "parameterstate.h"

#include <algorithm>

namespace {
int clampToRange(int slot, int value)
{
    const ParameterCatalogue::SlotInfo &info = ParameterCatalogue::slot(slot);
    return std::clamp(value, info.minimum, info.maximum);
}
} // namespace

ParameterState::ParameterState()
{
    for (int slot = 0; slot < PC::SlotCount; ++slot)
        m_value[index(slot)] = m_sent[index(slot)] = PC::slot(slot).startPosition;
}

bool ParameterState::setByUser(int slot, int value)
{
    const std::size_t i = index(slot);
    ++m_userChanges[i];
    const int shown = clampToRange(slot, value);
    if (shown == m_value[i])
        return false;
    m_value[i] = shown;
    return true;
}

bool ParameterState::takeFromUnit(int slot, std::optional<int> unitValue)
{
    const std::size_t i = index(slot);
    if (!unitValue) {
        m_known[i] = false;
        return false;
    }
    const int shown = clampToRange(slot, *unitValue);
    const bool changed = shown != m_value[i];
    m_value[i] = shown;
    m_known[i] = shown == *unitValue;
    if (!m_known[i])
        m_sent[i] = shown;
    return changed;
}

bool ParameterState::takeLoaded(int slot, std::optional<int> unitValue)
{
    const bool changed = takeFromUnit(slot, unitValue);
    m_sent[index(slot)] = m_value[index(slot)];
    return changed;
}

std::vector<int> ParameterState::pass(bool force)
{
    std::vector<int> written;
    for (int slot : PC::passOrder()) {
        const std::size_t i = index(slot);
        if (m_value[i] == m_sent[i] && !(force && m_known[i]))
            continue;
        m_sent[i] = m_value[i];
        m_known[i] = true;
        written.push_back(slot);
    }
    return written;
}
