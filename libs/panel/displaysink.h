#pragma once

#include <QtGlobal>

// Where the panel display model sends its text: the hub client, or a recorder
// in tests. Texts are NUL-terminated 8-bit strings (UTF-8).
class DisplaySink
{
public:
    virtual ~DisplaySink() = default;
    // One 8-character cell at character position x of a line.
    virtual void SendSegment(quint32 line, quint32 x, const char *text) = 0;
    // A text of any length at character position x of a line.
    virtual void SendText(quint32 line, quint32 x, const char *text) = 0;
};
