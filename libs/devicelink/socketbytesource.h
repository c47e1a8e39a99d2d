#pragma once

#include "bytesource.h"

#include <chrono>

// Bytes of one connected socket, received only until the deadline.
class SocketByteSource : public ByteSource
{
public:
    using Clock = std::chrono::steady_clock;

    void attach(int socket) { m_socket = socket; }
    void setDeadline(Clock::time_point deadline);
    bool timedOut() const { return m_timedOut; }

    int receive(char *buffer, int length) override;
    int peek(char *buffer, int length) override;

private:
    int m_socket = -1;
    Clock::time_point m_deadline{};
    bool m_timedOut = false;
};
