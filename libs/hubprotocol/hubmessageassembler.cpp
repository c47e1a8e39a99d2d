#include "hubmessageassembler.h"

#include <algorithm>
#include <cstring>

void HubMessageAssembler::append(const char *data, qint64 length)
{
    if (length > 0)
        m_pending.append(data, int(length));
}

void HubMessageAssembler::reset()
{
    m_pending.clear();
    m_pendingOffset = 0;
    m_lengthBytes = 0;
    m_inBody = false;
    m_skipping = false;
    m_length = 0;
    m_received = 0;
}

HubMessageAssembler::Result HubMessageAssembler::next()
{
    for (;;) {
        const int available = m_pending.size() - m_pendingOffset;
        const char *in = m_pending.constData() + m_pendingOffset;

        if (!m_inBody) {
            if (available == 0)
                break;
            const quint32 take = std::min<quint32>(4 - m_lengthBytes, quint32(available));
            std::memcpy(m_lengthWord + m_lengthBytes, in, take);
            m_lengthBytes += take;
            m_pendingOffset += int(take);
            if (m_lengthBytes < 4)
                break;
            m_lengthBytes = 0;
            m_length = quint32(m_lengthWord[0]) << 24 | quint32(m_lengthWord[1]) << 16 | quint32(m_lengthWord[2]) << 8
                       | quint32(m_lengthWord[3]);
            m_received = 0;
            if (m_length >= MaxSaneLength) {
                const quint32 length = m_length;
                reset();
                m_length = length;
                return Result::Corrupt;
            }
            m_inBody = true;
            m_skipping = m_length > BodyCapacity;
            if (m_skipping)
                return Result::Oversize;
            continue;
        }

        const quint32 take = std::min<quint32>(m_length - m_received, quint32(available));
        if (!m_skipping && take > 0)
            std::memcpy(m_body + m_received, in, take);
        m_received += take;
        m_pendingOffset += int(take);
        if (m_received < m_length)
            break;
        m_inBody = false;
        if (!m_skipping)
            return Result::Message;
        m_skipping = false;
    }
    m_pending.clear();
    m_pendingOffset = 0;
    return Result::NeedMore;
}
