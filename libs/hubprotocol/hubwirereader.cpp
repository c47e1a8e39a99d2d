#include "hubwirereader.h"

#include <cstring>

HubWireReader::HubWireReader(const uchar *data, quint32 length) : m_data(data), m_length(length) {}

bool HubWireReader::word(quint32 &value)
{
    if (remaining() < 4)
        return false;
    const uchar *p = m_data + m_offset;
    value = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
    m_offset += 4;
    return true;
}

bool HubWireReader::signedWord(qint32 &value)
{
    quint32 raw;
    if (!word(raw))
        return false;
    value = qint32(raw);
    return true;
}

bool HubWireReader::real(float &value)
{
    quint32 bits;
    if (!word(bits))
        return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool HubWireReader::string(QByteArray &text)
{
    const quint32 start = m_offset;
    quint32 count;
    if (!word(count))
        return false;
    if (count > remaining()) {
        m_offset = start;
        return false;
    }
    text = QByteArray(reinterpret_cast<const char *>(m_data + m_offset), int(count));
    m_offset += count;
    return true;
}

bool HubWireReader::skip(quint32 bytes)
{
    if (bytes > remaining())
        return false;
    m_offset += bytes;
    return true;
}
