#include "socketapi.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
NativeSocket native(int s) { return static_cast<NativeSocket>(s); }
bool setBlocking(int s, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(native(s), FIONBIO, &nonBlocking) == 0;
}
bool connectInProgress() { return WSAGetLastError() == WSAEWOULDBLOCK; }
void setTimedOutError() { WSASetLastError(WSAETIMEDOUT); errno = ETIMEDOUT; }

// WinSock reports its errors apart from errno, but the link's diagnostics
// print errno: without this a failed connect or send would read "Success".
void setErrorNumber(int socketError)
{
    switch (socketError) {
    case WSAECONNREFUSED: errno = ECONNREFUSED; break;
    case WSAETIMEDOUT: errno = ETIMEDOUT; break;
    case WSAEHOSTUNREACH: errno = EHOSTUNREACH; break;
    case WSAENETUNREACH: errno = ENETUNREACH; break;
    case WSAECONNRESET: errno = ECONNRESET; break;
    case WSAECONNABORTED: errno = ECONNABORTED; break;
    default: errno = EIO; break;
    }
}
void keepSocketError() { setErrorNumber(WSAGetLastError()); }

// 1 ready, 0 time-out, -1 failure.
int waitFor(int s, bool forWrite, int timeoutMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(native(s), &set);
    fd_set errors;
    FD_ZERO(&errors);
    FD_SET(native(s), &errors);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    // A failed connect shows in the error set only; the caller then learns
    // from the socket what failed.
    const int r = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errors, &tv);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
#else
int native(int s) { return s; }
bool setBlocking(int s, bool blocking)
{
    const int flags = fcntl(s, F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(s, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}
bool connectInProgress() { return errno == EINPROGRESS; }
void setTimedOutError() { errno = ETIMEDOUT; }
void setErrorNumber(int socketError) { errno = socketError; }
void keepSocketError() {}

int waitFor(int s, bool forWrite, int timeoutMs)
{
    pollfd p{s, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    int r;
    do {
        r = poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
#endif

bool setIntOption(int s, int level, int name)
{
    int one = 1;
    if (setsockopt(native(s), level, name, reinterpret_cast<const char *>(&one), sizeof one) == -1) {
        keepSocketError();
        return false;
    }
    return true;
}

} // namespace

bool SocketApi::startup()
{
#ifdef _WIN32
    WSADATA data;
    return WSAStartup(0x0101, &data) == 0;
#else
    return true;
#endif
}

void SocketApi::cleanup()
{
#ifdef _WIN32
    WSACleanup();
#endif
}

int SocketApi::openStream()
{
#ifdef _WIN32
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        keepSocketError();
        return -1;
    }
    return static_cast<int>(s);
#else
    return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
#endif
}

bool SocketApi::setNoDelay(int socket)
{
    return setIntOption(socket, IPPROTO_TCP, TCP_NODELAY);
}

bool SocketApi::setReuseAddress(int socket)
{
    return setIntOption(socket, SOL_SOCKET, SO_REUSEADDR);
}

namespace {

// A name lookup on a thread of its own, so that a name server that never
// answers costs the caller no more than its time-out; the lookup ends
// whenever it ends and frees what it found if nobody took it.
struct Lookup
{
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    addrinfo *result = nullptr;
    int error = 0;
};

addrinfo *resolve(const std::string &host, const std::string &port, int timeoutMs, std::string *error)
{
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, port] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo *result = nullptr;
        const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &result);
        std::lock_guard<std::mutex> lock(lookup->mutex);
        if (lookup->abandoned) {
            if (result)
                freeaddrinfo(result);
            return;
        }
        lookup->finished = true;
        lookup->error = error;
        lookup->result = error == 0 ? result : nullptr;
        if (error != 0 && result)
            freeaddrinfo(result);
        lookup->done.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return lookup->finished; })) {
        lookup->abandoned = true;
        if (error)
            *error = "no answer from the name service within " + std::to_string(timeoutMs) + " ms";
        return nullptr;
    }
    if (!lookup->result && error) {
#ifdef _WIN32
        *error = gai_strerrorA(lookup->error);
#else
        *error = lookup->error == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(lookup->error);
#endif
    }
    return lookup->result;
}

} // namespace

SocketApi::ConnectResult SocketApi::connectTo(int socket, const std::string &host, int port, int timeoutMs,
                                              std::string *lookupError)
{
    addrinfo *result = resolve(host, std::to_string(port), timeoutMs, lookupError);
    if (!result)
        return ConnectResult::LookupFailed;

    // Connect without blocking so that an unreachable unit costs at most the
    // time-out, then go back to blocking mode for the requests.
    bool ok = setBlocking(socket, false);
    if (ok && connect(native(socket), result->ai_addr, static_cast<int>(result->ai_addrlen)) != 0) {
        ok = false;
        if (connectInProgress()) {
            const int ready = waitFor(socket, true, timeoutMs);
            if (ready > 0) {
                int error = 0;
                socklen_t length = sizeof error;
                if (getsockopt(native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &length) == 0) {
                    ok = (error == 0);
                    if (!ok)
                        setErrorNumber(error);
                }
            } else if (ready == 0) {
                setTimedOutError();
            }
        } else {
            keepSocketError();
        }
    }
    freeaddrinfo(result);
    if (ok)
        ok = setBlocking(socket, true);
    return ok ? ConnectResult::Connected : ConnectResult::ConnectFailed;
}

bool SocketApi::sendAll(int socket, const char *data, std::size_t length)
{
#ifdef _WIN32
    const int flags = 0;
#else
    const int flags = MSG_NOSIGNAL; // a closed peer must not kill the program
#endif
    while (length > 0) {
        const auto sent = send(native(socket), data, static_cast<int>(length), flags);
        if (sent < 0) {
#ifndef _WIN32
            if (errno == EINTR)
                continue;
#endif
            keepSocketError();
            return false;
        }
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

int SocketApi::receive(int socket, char *buffer, int length, int timeoutMs)
{
    const int ready = waitFor(socket, false, timeoutMs);
    if (ready == 0)
        return TimedOut;
    if (ready < 0)
        return -1;
    for (;;) {
        const auto n = recv(native(socket), buffer, length, 0);
#ifndef _WIN32
        if (n < 0 && errno == EINTR)
            continue;
#endif
        return n < 0 ? -1 : static_cast<int>(n);
    }
}

int SocketApi::peek(int socket, char *buffer, int length)
{
#ifdef _WIN32
    if (waitFor(socket, false, 0) <= 0)
        return 0;
    const auto n = recv(native(socket), buffer, length, MSG_PEEK);
#else
    // One call that never waits: the link peeks before every request.
    const auto n = recv(socket, buffer, static_cast<std::size_t>(length), MSG_PEEK | MSG_DONTWAIT);
#endif
    return n > 0 ? static_cast<int>(n) : 0;
}

void SocketApi::shutdown(int socket)
{
#ifdef _WIN32
    ::shutdown(native(socket), SD_BOTH);
#else
    ::shutdown(socket, SHUT_RDWR);
#endif
}

void SocketApi::close(int socket)
{
#ifdef _WIN32
    closesocket(native(socket));
#else
    ::close(socket);
#endif
}
