#include "undohistory.h"

#include <algorithm>

void UndoHistory::beginGesture()
{
    if (m_gestureDepth++ == 0)
        m_gestureStarted = true;
}

void UndoHistory::endGesture()
{
    if (m_gestureDepth == 0 || --m_gestureDepth > 0)
        return;
    for (Stacks &stacks : m_stacks) {
        if (!stacks.done.empty())
            stacks.done.back().open = false;
    }
}

void UndoHistory::record(const QString &key, int slot, int before, int after, qint64 nowMs)
{
    if (before == after)
        return;
    Stacks &stacks = m_stacks[key];
    stacks.undone.clear();
    Entry *last = stacks.done.empty() ? nullptr : &stacks.done.back();
    bool join = false;
    if (m_gestureDepth > 0)
        join = !m_gestureStarted && last && last->open;
    else
        join = last && !last->gesture && last->step.size() == 1 && last->step.front().slot == slot
               && nowMs - last->lastMs <= GestureGapMs;
    if (!join) {
        stacks.done.push_back(Entry{{}, nowMs, m_gestureDepth > 0, m_gestureDepth > 0});
        m_gestureStarted = false;
        if (int(stacks.done.size()) > Limit)
            stacks.done.pop_front();
        last = &stacks.done.back();
    }
    last->lastMs = nowMs;
    const auto same = std::find_if(last->step.begin(), last->step.end(), [slot](const Change &c) { return c.slot == slot; });
    if (same == last->step.end()) {
        last->step.push_back({slot, before, after, QString()});
    } else {
        same->after = after;
        // A drag back to where it began leaves nothing to undo.
        if (same->after == same->before)
            last->step.erase(same);
        if (last->step.empty() && !last->open)
            stacks.done.pop_back();
    }
}

void UndoHistory::recordStep(const QString &key, Step step)
{
    if (step.empty())
        return;
    Stacks &stacks = m_stacks[key];
    stacks.undone.clear();
    stacks.done.push_back(Entry{std::move(step), 0, true, false});
    if (int(stacks.done.size()) > Limit)
        stacks.done.pop_front();
}

std::optional<UndoHistory::Step> UndoHistory::undo(const QString &key)
{
    Stacks &stacks = m_stacks[key];
    while (!stacks.done.empty() && stacks.done.back().step.empty())
        stacks.done.pop_back();
    if (stacks.done.empty())
        return std::nullopt;
    Step step = std::move(stacks.done.back().step);
    stacks.done.pop_back();
    stacks.undone.push_back(step);
    return step;
}

std::optional<UndoHistory::Step> UndoHistory::redo(const QString &key)
{
    Stacks &stacks = m_stacks[key];
    if (stacks.undone.empty())
        return std::nullopt;
    Step step = std::move(stacks.undone.back());
    stacks.undone.pop_back();
    stacks.done.push_back(Entry{step, 0, true, false});
    return step;
}

int UndoHistory::undoSteps(const QString &key) const
{
    const auto it = m_stacks.constFind(key);
    if (it == m_stacks.constEnd())
        return 0;
    return int(std::count_if(it->done.begin(), it->done.end(), [](const Entry &e) { return !e.step.empty(); }));
}

int UndoHistory::redoSteps(const QString &key) const
{
    const auto it = m_stacks.constFind(key);
    return it == m_stacks.constEnd() ? 0 : int(it->undone.size());
}
