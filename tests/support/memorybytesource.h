#pragma once

#include "bytesource.h"

#include <algorithm>
#include <cstring>
#include <string>

// Bytes from memory, handed out in pieces of at most pieceSize per receive.
// Bytes at or after 'arrivedUpTo' count as not arrived yet: peek does not
// see them, and a receive hands them out only once every earlier byte has
// been taken (it waits for them, as on a socket).
class MemoryByteSource : public ByteSource
{
public:
    explicit MemoryByteSource(std::string bytes, std::size_t pieceSize = 1 << 20)
        : m_bytes(std::move(bytes))
        , m_pieceSize(pieceSize)
        , m_arrivedUpTo(m_bytes.size())
    {
    }

    void setArrivedUpTo(std::size_t position) { m_arrivedUpTo = position; }
    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_bytes.size() - m_position; }
    int receiveCount() const { return m_receiveCount; }

    int receive(char *buffer, int length) override
    {
        const std::size_t available = m_arrivedUpTo > m_position ? m_arrivedUpTo - m_position : remaining();
        const std::size_t n = std::min({static_cast<std::size_t>(std::max(length, 0)), m_pieceSize, available});
        std::memcpy(buffer, m_bytes.data() + m_position, n);
        m_position += n;
        ++m_receiveCount;
        return static_cast<int>(n);
    }

    int peek(char *buffer, int length) override
    {
        const std::size_t arrived = m_arrivedUpTo > m_position ? m_arrivedUpTo - m_position : 0;
        const std::size_t n = std::min({static_cast<std::size_t>(std::max(length, 0)), arrived, remaining()});
        std::memcpy(buffer, m_bytes.data() + m_position, n);
        return static_cast<int>(n);
    }

private:
    std::string m_bytes;
    std::size_t m_pieceSize;
    std::size_t m_position = 0;
    std::size_t m_arrivedUpTo;
    int m_receiveCount = 0;
};
