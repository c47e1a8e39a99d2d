#include "socketbytesource.h"

#include "socketapi.h"

void SocketByteSource::setDeadline(Clock::time_point deadline)
{
    m_deadline = deadline;
    m_timedOut = false;
}

int SocketByteSource::receive(char *buffer, int length)
{
    if (m_timedOut || m_socket == -1)
        return -1;
    // The deadline holds for the whole reply: a unit that keeps sending a
    // few bytes at a time must not hold the reader past it.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
    const int n = left > 0 ? SocketApi::receive(m_socket, buffer, length, static_cast<int>(left)) : SocketApi::TimedOut;
    if (n == SocketApi::TimedOut) {
        m_timedOut = true;
        return -1;
    }
    return n;
}

int SocketByteSource::peek(char *buffer, int length)
{
    return m_socket == -1 ? 0 : SocketApi::peek(m_socket, buffer, length);
}
