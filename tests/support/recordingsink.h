#pragma once

#include "displaysink.h"

#include <QString>
#include <QStringList>

// Records every display write as "line,x:text" ("line,x=text" for whole lines).
class RecordingSink : public DisplaySink
{
public:
    void SendSegment(quint32 line, quint32 x, const char *text) override
    {
        writes << QStringLiteral("%1,%2:%3").arg(line).arg(x).arg(QString::fromUtf8(text));
    }
    void SendText(quint32 line, quint32 x, const char *text) override
    {
        writes << QStringLiteral("%1,%2=%3").arg(line).arg(x).arg(QString::fromUtf8(text));
    }

    QStringList writes;
};
