#pragma once

#include "midimessage.h"

#include <QVector>

// Turns a MIDI byte stream, fed in pieces of any size, into channel messages.
// Running status is followed; system exclusive data, system common messages
// and real-time bytes (which may fall inside another message) are skipped.
// It keeps no more than one message's bytes, whatever it is fed.
class MidiDecoder
{
public:
    void feed(const unsigned char *bytes, int size, QVector<MidiMessage> &out);
    void reset();

private:
    void complete(QVector<MidiMessage> &out);

    unsigned char m_status = 0; // the running status; 0 when none
    bool m_skipping = false;     // inside system exclusive data or a system common message
    unsigned char m_data[2] = {0, 0};
    int m_count = 0;
};
