#pragma once

#include <QtGlobal>

// Writes one hub message into a caller's fixed buffer: the 4-byte length word
// first, then big-endian words, reals and counted strings. A piece that would
// not fit is not written and marks the message as overflowed, so a message is
// never written past the end of its buffer.
class HubWireWriter
{
public:
    HubWireWriter(uchar *buffer, quint32 capacity);

    bool putWord(quint32 value);
    bool putSignedWord(qint32 value);
    bool putReal(float value);
    // A 32-bit byte count followed by the bytes, without terminator.
    bool putString(const char *text, quint32 length);

    // Writes the body length (everything after the length word) into the
    // length word and returns the size of the whole message.
    quint32 finish();

    quint32 size() const { return m_size; }
    quint32 room() const { return m_capacity - m_size; }
    bool overflowed() const { return m_overflowed; }

    static constexpr quint32 WordSize = 4;

private:
    bool reserve(quint32 bytes);
    void storeWord(quint32 at, quint32 value);

    uchar *m_buffer;
    quint32 m_capacity;
    quint32 m_size;
    bool m_overflowed = false;
};
