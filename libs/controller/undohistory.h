#pragma once

#include <QHash>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

// The user's changes, step by step, for each channel of each unit (the key),
// so they can be taken back and done again. One step is one gesture: every
// change between beginGesture() and endGesture() (a slider dragged, a reset,
// a look recalled), or, outside one, the changes of one parameter that come
// within half a second of each other (a knob turned, a key held). A new step
// drops what was undone. Changes read back from a unit are not recorded.
class UndoHistory
{
public:
    static constexpr int Limit = 500;
    static constexpr qint64 GestureGapMs = 500;

    struct Change
    {
        int slot;
        int before;
        int after;
        QString unit; // a ganged unit's address when the change was made there alone (a match)
    };
    using Step = std::vector<Change>;

    void beginGesture();
    void endGesture();
    void record(const QString &key, int slot, int before, int after, qint64 nowMs);
    // A whole step, joined to nothing.
    void recordStep(const QString &key, Step step);

    // The step to take back (apply each change's `before`, last first); it can then be redone.
    std::optional<Step> undo(const QString &key);
    // The step to do again (apply each change's `after`).
    std::optional<Step> redo(const QString &key);
    int undoSteps(const QString &key) const;
    int redoSteps(const QString &key) const;

private:
    struct Entry
    {
        Step step;
        qint64 lastMs = 0;
        bool gesture = false; // made by a gesture: joins nothing after it ended
        bool open = false;    // its gesture is still under way
    };
    struct Stacks
    {
        std::deque<Entry> done;
        std::vector<Step> undone;
    };

    QHash<QString, Stacks> m_stacks;
    int m_gestureDepth = 0;
    bool m_gestureStarted = false; // the gesture under way has no step yet
};
