#include "midimap.h"

bool MidiMap::overlap(const MidiMapping &a, const MidiMapping &b)
{
    if (a.channel != b.channel || a.note != b.note)
        return false;
    const auto reads = [](const MidiMapping &m, int number) {
        return m.number == number || (m.mode == MidiEncoding::Mode::Absolute14 && m.number + 32 == number);
    };
    return reads(a, b.number) || (b.mode == MidiEncoding::Mode::Absolute14 && reads(a, b.number + 32));
}

bool MidiMap::matches(const QString &pattern, const QString &portName)
{
    if (pattern.isEmpty())
        return false;
    const QString p = pattern.toCaseFolded();
    const QString n = portName.toCaseFolded();
    if (!p.contains(QLatin1Char('*')) && !p.contains(QLatin1Char('?')))
        return n.contains(p);
    // Wildcards over the whole name; on a mismatch the last star takes one
    // character more, so the time stays within pattern times name.
    int i = 0, j = 0, star = -1, mark = 0;
    while (j < n.size()) {
        if (i < p.size() && (p[i] == QLatin1Char('?') || (p[i] != QLatin1Char('*') && p[i] == n[j]))) {
            ++i;
            ++j;
        } else if (i < p.size() && p[i] == QLatin1Char('*')) {
            star = i++;
            mark = j;
        } else if (star >= 0) {
            i = star + 1;
            j = ++mark;
        } else {
            return false;
        }
    }
    while (i < p.size() && p[i] == QLatin1Char('*'))
        ++i;
    return i == p.size();
}
