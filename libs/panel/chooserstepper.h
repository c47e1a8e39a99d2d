#pragma once

#include "panellayout.h"

#include <QString>
#include <QStringList>

#include <optional>

// Stepping through a chooser's entries from the panel's status page (page 3)
// without touching the chooser until the choice is committed. At most one of
// the five choosers is stepped at a time.
//
// The first turn of a chooser's encoder only starts stepping. Further steps
// add up (truncated to whole numbers); at 5 or more the pending entry moves
// one down the list, at -5 or less one up, wrapping at both ends, and the
// status line shows it with a "**" mark. A turn of another chooser's encoder
// cancels. The caller owns the 3000 ms time-out and the display:
//
//   Started   -> (re)start the chooser timer
//   Moved     -> send lineText on status line `line`, (re)start the timer
//   Cancelled -> lay out the current panel page again
//
// and calls cancel() when the timer fires or the page leaves 0 to 2, and
// commit() from the chooser's button.
class ChooserStepper
{
public:
    enum class Outcome { Ignored, Started, Accumulated, Moved, Cancelled };

    struct Result
    {
        Outcome outcome = Outcome::Ignored;
        int line = -1;        // Moved: the status line (0 device ... 4 monitor range)
        QString lineText;     // Moved: the text for it
    };

    // entryNames: what the status line shows for each entry of the chooser,
    // in chooser order (host names for the device chooser, channel names for
    // the channel chooser, range names for the range choosers). A chooser with
    // fewer than two entries cannot be stepped.
    Result step(PanelLayout::Chooser chooser, double step, const QStringList &entryNames, int currentIndex);

    // The pending index when this chooser is being stepped (stepping ends),
    // otherwise nothing and the state is unchanged.
    std::optional<int> commit(PanelLayout::Chooser chooser);
    void cancel() { m_mode = PanelLayout::Chooser::None; }

    int pending(PanelLayout::Chooser chooser) const;

    static int line(PanelLayout::Chooser chooser);
    // The "**" line of a pending entry as the chooser's row of the table
    // formats it, padded (never cut) to its width.
    static QString lineText(PanelLayout::Chooser chooser, const QString &entryName);

private:
    PanelLayout::Chooser m_mode = PanelLayout::Chooser::None;
    int m_accum = 0;
    int m_pending[PanelLayout::ChooserCount] = {};
};
