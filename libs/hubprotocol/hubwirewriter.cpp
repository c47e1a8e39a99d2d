#include "hubwirewriter.h"

#include <cstring>

HubWireWriter::HubWireWriter(uchar *buffer, quint32 capacity)
    : m_buffer(buffer), m_capacity(capacity), m_size(capacity >= WordSize ? WordSize : 0)
{
    if (m_size == 0)
        m_overflowed = true;
    else
        storeWord(0, 0);
}

bool HubWireWriter::reserve(quint32 bytes)
{
    if (m_overflowed || bytes > room()) {
        m_overflowed = true;
        return false;
    }
    return true;
}

void HubWireWriter::storeWord(quint32 at, quint32 value)
{
    m_buffer[at] = uchar(value >> 24);
    m_buffer[at + 1] = uchar(value >> 16);
    m_buffer[at + 2] = uchar(value >> 8);
    m_buffer[at + 3] = uchar(value);
}

bool HubWireWriter::putWord(quint32 value)
{
    if (!reserve(WordSize))
        return false;
    storeWord(m_size, value);
    m_size += WordSize;
    return true;
}

bool HubWireWriter::putSignedWord(qint32 value)
{
    return putWord(quint32(value));
}

bool HubWireWriter::putReal(float value)
{
    quint32 bits;
    static_assert(sizeof bits == sizeof value, "IEEE single precision expected");
    std::memcpy(&bits, &value, sizeof bits);
    return putWord(bits);
}

bool HubWireWriter::putString(const char *text, quint32 length)
{
    if (!reserve(WordSize) || length > room() - WordSize) {
        m_overflowed = true;
        return false;
    }
    putWord(length);
    if (length > 0)
        std::memcpy(m_buffer + m_size, text, length);
    m_size += length;
    return true;
}

quint32 HubWireWriter::finish()
{
    if (m_size >= WordSize)
        storeWord(0, m_size - WordSize);
    return m_size;
}
