#pragma once

#include "abmemory.h"
#include "look.h"
#include "target.h"
#include "undohistory.h"

#include <QElapsedTimer>

#include <optional>

// The looks of every place: the history of the user's changes, and the A/B
// memories to compare by eye.
class LookKeeper
{
public:
    LookKeeper();

    // Every change between the two is one step of the history (a slider drag, a recall).
    void beginGesture();
    void endGesture();
    void record(const Target &place, int slot, int before, int after);
    // A step made whole elsewhere (a match of the gang).
    void recordStep(const Target &place, UndoHistory::Step step);
    std::optional<UndoHistory::Step> undo(const Target &place);
    std::optional<UndoHistory::Step> redo(const Target &place);
    int undoSteps(const Target &place) const;
    int redoSteps(const Target &place) const;

    void store(const Target &place, AbMemory::Which which, const Look &look);
    bool has(const Target &place, AbMemory::Which which) const;
    AbMemory::Which live(const Target &place) const;
    // The stored look that is live differs from this one.
    bool liveChanged(const Target &place, const Look &shown) const;
    // The other stored look, now live; none unless both are stored.
    std::optional<Look> toggle(const Target &place);

private:
    UndoHistory m_history;
    AbMemory m_ab;
    QElapsedTimer m_clock;
};
