#pragma once

#include <QString>
#include <QtGlobal>

// A piece of the panel display: the text the program writes at a line and
// character position for one value.
struct DisplayCell
{
    quint32 line = 0;
    quint32 x = 0;
    QString text;

    // The cell the program's own page layout writes for a slider's value.
    static DisplayCell ofValue(int slot, int value);
    // Whether a display line holds the cell's text at its place.
    bool isShownOn(const QString &displayLine) const;
};
