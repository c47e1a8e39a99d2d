#include "chooserstepper.h"

#include <cmath>

using Chooser = PanelLayout::Chooser;

int ChooserStepper::line(Chooser chooser)
{
    const ChooserRow *row = PanelLayout::chooser(chooser);
    return row ? row->line : -1;
}

int ChooserStepper::pending(Chooser chooser) const
{
    const int i = PanelLayout::chooserIndex(chooser);
    return i < 0 ? -1 : m_pending[i];
}

QString ChooserStepper::lineText(Chooser chooser, const QString &entryName)
{
    const ChooserRow *row = PanelLayout::chooser(chooser);
    return row ? QString::fromLatin1(row->stepFormat).arg(entryName).leftJustified(row->stepWidth) : QString();
}

ChooserStepper::Result ChooserStepper::step(Chooser chooser, double step, const QStringList &entryNames,
                                            int currentIndex)
{
    Result result;
    const int i = PanelLayout::chooserIndex(chooser);
    const int count = int(entryNames.size());
    if (i < 0 || count < 2 || !std::isfinite(step))
        return result;

    if (m_mode == Chooser::None) {
        m_mode = chooser;
        m_accum = 0;
        m_pending[i] = currentIndex;
        result.outcome = Outcome::Started;
        return result;
    }
    if (m_mode != chooser) {
        m_mode = Chooser::None;
        result.outcome = Outcome::Cancelled;
        return result;
    }

    // Whole steps only; a huge step counts as one entry, like any other.
    const double sum = m_accum + step;
    m_accum = sum >= 5 ? 5 : sum <= -5 ? -5 : int(sum);
    if (m_accum > -5 && m_accum < 5) {
        result.outcome = Outcome::Accumulated;
        return result;
    }
    int index = m_pending[i] + (m_accum > 0 ? 1 : -1);
    m_accum = 0;
    if (index >= count)
        index = 0;
    else if (index < 0)
        index = count - 1;
    m_pending[i] = index;
    result.outcome = Outcome::Moved;
    result.line = line(chooser);
    result.lineText = lineText(chooser, entryNames.at(index));
    return result;
}

std::optional<int> ChooserStepper::commit(Chooser chooser)
{
    const int i = PanelLayout::chooserIndex(chooser);
    if (i < 0 || m_mode != chooser)
        return std::nullopt;
    m_mode = Chooser::None;
    return m_pending[i];
}
