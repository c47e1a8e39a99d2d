#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The panel's display as the hub shows it: 5 lines of 32 characters. A write
// puts its text (UTF-8) at a column of a line; what runs past column 32 is
// not shown.
class HubDisplay
{
public:
    static constexpr int Lines = 5;
    static constexpr int Width = 32;
    static constexpr int CellWidth = 8;

    HubDisplay() { clear(); }

    // False (and nothing changes) for a line or column off the display.
    bool write(quint32 line, quint32 x, const QByteArray &text);
    void clear();
    QString line(int index) const;
    // The five lines framed by bars, one per line.
    QString dump() const;

private:
    QString m_lines[Lines];
};
