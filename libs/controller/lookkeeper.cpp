#include "lookkeeper.h"

LookKeeper::LookKeeper()
{
    m_clock.start();
}

void LookKeeper::beginGesture()
{
    m_history.beginGesture();
}

void LookKeeper::endGesture()
{
    m_history.endGesture();
}

void LookKeeper::record(const Target &place, int slot, int before, int after)
{
    m_history.record(place.key(), slot, before, after, m_clock.elapsed());
}

void LookKeeper::recordStep(const Target &place, UndoHistory::Step step)
{
    m_history.recordStep(place.key(), std::move(step));
}

std::optional<UndoHistory::Step> LookKeeper::undo(const Target &place)
{
    return m_history.undo(place.key());
}

std::optional<UndoHistory::Step> LookKeeper::redo(const Target &place)
{
    return m_history.redo(place.key());
}

int LookKeeper::undoSteps(const Target &place) const
{
    return m_history.undoSteps(place.key());
}

int LookKeeper::redoSteps(const Target &place) const
{
    return m_history.redoSteps(place.key());
}

void LookKeeper::store(const Target &place, AbMemory::Which which, const Look &look)
{
    m_ab.store(place.key(), which, look);
}

bool LookKeeper::has(const Target &place, AbMemory::Which which) const
{
    return m_ab.look(place.key(), which).has_value();
}

AbMemory::Which LookKeeper::live(const Target &place) const
{
    return m_ab.live(place.key());
}

bool LookKeeper::liveChanged(const Target &place, const Look &shown) const
{
    const std::optional<Look> live = m_ab.look(place.key(), m_ab.live(place.key()));
    return live && *live != shown;
}

std::optional<Look> LookKeeper::toggle(const Target &place)
{
    const AbMemory::Which target = m_ab.toggleTarget(place.key());
    if (target == AbMemory::Which::None)
        return std::nullopt;
    m_ab.setLive(place.key(), target);
    return m_ab.look(place.key(), target);
}
