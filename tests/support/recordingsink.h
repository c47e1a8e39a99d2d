#pragma once

#include "displaysink.h"

#include <QString>
#include <QStringList>

// Records every display write as "line,x:text" ("line,x=text" for whole
// lines), and keeps the five lines of 32 characters as the writes leave them.
class RecordingSink : public DisplaySink
{
public:
    RecordingSink()
    {
        for (int line = 0; line < 5; ++line)
            lines << QString(32, QLatin1Char(' '));
    }
    void SendSegment(quint32 line, quint32 x, const char *text) override { put(line, x, ':', text); }
    void SendText(quint32 line, quint32 x, const char *text) override { put(line, x, '=', text); }

    QStringList writes;
    QStringList lines;

private:
    void put(quint32 line, quint32 x, char kind, const char *text)
    {
        const QString piece = QString::fromUtf8(text);
        writes << QStringLiteral("%1,%2").arg(line).arg(x) + QLatin1Char(kind) + piece;
        const QString shown = piece.left(32 - int(x));
        if (int(line) < lines.size())
            lines[int(line)].replace(int(x), shown.size(), shown);
    }
};
