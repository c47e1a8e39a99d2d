#include "tavirestconfigcontrol.h"

#include "linklog.h"
#include "socketapi.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

TAVIRESTConfigControl::WinSockHelper::WinSockHelper()
{
    if (!SocketApi::startup())
        LinkLog::print(LinkLog::Stream::Error, "WinSockHelper::WinSockHelper - WSAStartup failed.\n");
}

TAVIRESTConfigControl::WinSockHelper::~WinSockHelper()
{
    SocketApi::cleanup();
}

TAVIRESTConfigControl::TAVIRESTConfigControl(std::string host, int port, std::string path)
    : m_host(std::move(host))
    , m_port(port)
    , m_path(std::move(path))
{
}

TAVIRESTConfigControl::~TAVIRESTConfigControl()
{
    closeConnection();
}

void TAVIRESTConfigControl::closeConnection()
{
    if (socketHandle != -1) {
        std::lock_guard<std::mutex> lock(m_socketMutex);
        SocketApi::close(socketHandle);
        socketHandle = -1;
    }
    m_source.attach(-1);
    m_reader.discardKept();
    m_repliesOnConnection = 0;
}

void TAVIRESTConfigControl::interrupt()
{
    std::lock_guard<std::mutex> lock(m_socketMutex);
    if (socketHandle != -1)
        SocketApi::shutdown(socketHandle);
}

bool TAVIRESTConfigControl::inBackoff() const
{
    return m_backoffMs > 0 && Clock::now() < m_backoffUntil;
}

void TAVIRESTConfigControl::startBackoff()
{
    m_backoffMs = m_backoffMs == 0 ? FirstBackoffMs : std::min(2 * m_backoffMs, LongestBackoffMs);
    m_backoffUntil = Clock::now() + std::chrono::milliseconds(m_backoffMs);
}

bool TAVIRESTConfigControl::fail(const char *what, const std::string &reason)
{
    const int error = errno;
    closeConnection();
    errno = error;
    if (reason.empty())
        LinkLog::errnoFailure(what);
    else
        LinkLog::failure(what, reason);
    return false;
}

bool TAVIRESTConfigControl::Connect()
{
    closeConnection();
    {
        std::lock_guard<std::mutex> lock(m_socketMutex);
        socketHandle = SocketApi::openStream();
    }
    if (socketHandle == -1) {
        LinkLog::errnoFailure("ConfigControl::Connect - socket");
        return false;
    }
    if (!SocketApi::setNoDelay(socketHandle))
        return fail("ConfigControl::Connect - setsockopt TCP_NODELAY");
    if (!SocketApi::setReuseAddress(socketHandle))
        return fail("ConfigControl::Connect - setsockopt SO_REUSEADDR");

    std::string lookupError;
    switch (SocketApi::connectTo(socketHandle, m_host, m_port, ConnectTimeoutMs, &lookupError)) {
    case SocketApi::ConnectResult::Connected:
        m_source.attach(socketHandle);
        return true;
    case SocketApi::ConnectResult::LookupFailed:
        // The lookup reports its own error, not through the error number.
        startBackoff();
        return fail("ConfigControl::Connect - getaddrinfo failed", lookupError);
    case SocketApi::ConnectResult::ConnectFailed:
        break;
    }
    startBackoff();
    return fail("ConfigControl::Connect - connect failed");
}

int TAVIRESTConfigControl::readReply(std::string &body, std::size_t bodyLimit)
{
    m_source.setDeadline(Clock::now() + std::chrono::milliseconds(ReplyTimeoutMs));
    const int status = m_reader.readResponse(body, bodyLimit);
    if (m_source.timedOut()) {
        startBackoff();
        closeConnection();
    } else if (m_reader.mustClose()) {
        closeConnection();
    }
    if (!m_source.timedOut() && m_reader.bytesReceived() > 0)
        m_backoffMs = 0;
    return status;
}

int TAVIRESTConfigControl::sendAndRead(const std::string &request, std::string &body, const char *sendFailure,
                                       std::size_t bodyLimit)
{
    if (!SocketApi::sendAll(socketHandle, request.data(), request.size())) {
        fail(sendFailure);
        return NotSent;
    }
    const int status = readReply(body, bodyLimit);
    if (socketHandle != -1)
        ++m_repliesOnConnection;
    return status;
}

// Bytes that came after the last reply, before any request, would be read
// as the reply to the next request: a wrong value. Only the line end a unit
// sends after a counted body may arrive late, and the reader skips it.
bool TAVIRESTConfigControl::unaskedBytesWaiting()
{
    if (!m_reader.keptOnlyLineEnds())
        return true;
    char next[16];
    const int n = m_source.peek(next, sizeof next);
    return std::any_of(next, next + n, [](char c) { return c != '\r' && c != '\n'; });
}

int TAVIRESTConfigControl::exchange(const std::string &request, std::string &body, const char *sendFailure,
                                    std::size_t bodyLimit)
{
    const int status = exchangeOnce(request, body, sendFailure, bodyLimit);
    m_answered = status > 0;
    return status;
}

int TAVIRESTConfigControl::exchangeOnce(const std::string &request, std::string &body, const char *sendFailure,
                                        std::size_t bodyLimit)
{
    if (socketHandle != -1 && unaskedBytesWaiting()) {
        LinkLog::print(LinkLog::Stream::Error, "ConfigControl - %s sent bytes nobody asked for; connecting again\n", m_host.c_str());
        closeConnection();
    }
    if (socketHandle == -1) {
        if (inBackoff() || !Connect())
            return NotSent;
    }
    const bool reused = m_repliesOnConnection > 0;
    int status = sendAndRead(request, body, sendFailure, bodyLimit);
    // A unit may close a kept-alive connection while it is idle (a restart,
    // say); the request then meets a dead connection before any reply byte.
    // Such a request never reached the unit, so it is sent once more on a
    // fresh connection.
    const bool stale = status == NotSent || (m_reader.bytesReceived() == 0 && !m_source.timedOut());
    if (reused && stale) {
        if (!Connect())
            return NotSent;
        status = sendAndRead(request, body, sendFailure, bodyLimit);
    }
    // A reply that stopped short or was refused unread, or whose body was
    // cut at the limit, may carry part of a value, or another's; it is
    // refused rather than used.
    if (status != NotSent && (!m_reader.whole() || m_reader.bodyCut())) {
        if (m_reader.bytesReceived() == 0)
            LinkLog::print(LinkLog::Stream::Error, "ConfigControl - no reply from %s\n", m_host.c_str());
        else
            LinkLog::print(LinkLog::Stream::Error, "ConfigControl - reply from %s %s; not used\n", m_host.c_str(),
                           m_reader.whole() ? "too long, cut" : "incomplete or unreadable");
        return Broken;
    }
    return status;
}

bool TAVIRESTConfigControl::GetParam(std::string name, std::string &value, std::string format, std::size_t bodyLimit)
{
    std::string request;
    request.reserve(160 + m_path.size() + name.size() + format.size() + m_host.size());
    request.append("GET /").append(m_path).append("?action=get&configid=0&paramid=").append(name);
    request.append("&alt=").append(format).append(" HTTP/1.1\r\nHost: ").append(m_host);
    request.append("\r\nConnection: keep-alive\r\nContent-type: application/x-www-form-urlencoded\r\nContent-length: 0\r\n\r\n");
    std::string body;
    const int status = exchange(request, body, "ConfigControl::GetParam - send failed", bodyLimit);
    if (status == NotSent || status == Broken)
        return false;
    if (status != 200) {
        LinkLog::print(LinkLog::Stream::Error, "http_status = %d\n", status);
        return false;
    }
    value = std::move(body);
    return true;
}

bool TAVIRESTConfigControl::ChangeParam(std::string name, std::string value)
{
    std::string request;
    request.reserve(80 + m_path.size() + name.size() + value.size() + m_host.size());
    request.append("GET /").append(m_path).append("?action=set&paramid=").append(name).append("&value=").append(value);
    request.append(" HTTP/1.1\r\nHost: ").append(m_host).append("\r\nConnection: keep-alive\r\n\r\n");
    std::string body;
    return exchange(request, body, "ConfigControl::ChangeParam - send failed", MAX_RESPONSE_BUFFER_SIZE) == 200;
}
