#pragma once

#include <cstddef>
#include <string>

// The few socket calls the device link makes, over WinSock on Windows and
// POSIX sockets elsewhere. Handles are plain ints; -1 is no socket.
class SocketApi
{
public:
    enum class ConnectResult { Connected, LookupFailed, ConnectFailed };

    static constexpr int TimedOut = -2;

    // Starts and stops the platform's socket library (WinSock); no-ops elsewhere.
    static bool startup();
    static void cleanup();

    static int openStream();
    static bool setNoDelay(int socket);
    static bool setReuseAddress(int socket);
    // Resolves host and port (IPv4 only, first result) and connects, giving
    // up on each after timeoutMs. When the connection fails the platform's
    // error number is set; when the lookup fails its own reason is given.
    static ConnectResult connectTo(int socket, const std::string &host, int port, int timeoutMs, std::string *lookupError);
    // Sends the whole buffer; false on failure.
    static bool sendAll(int socket, const char *data, std::size_t length);
    // Waits up to timeoutMs for data. Returns the count received, 0 at the
    // end of the stream, -1 on failure or TimedOut.
    static int receive(int socket, char *buffer, int length, int timeoutMs);
    // Copies bytes that have already arrived without consuming them.
    static int peek(int socket, char *buffer, int length);
    // Ends both directions at once: a receive waiting on the socket returns.
    static void shutdown(int socket);
    static void close(int socket);
};
