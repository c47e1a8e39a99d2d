#pragma once

#include "httpreplyreader.h"
#include "socketbytesource.h"

#include <chrono>
#include <mutex>
#include <cstddef>
#include <string>

// One kept-alive HTTP/1.1 connection to one unit's parameter interface.
// Every call blocks its thread until the reply has been read, a time-out
// expired, or the connection failed.
class TAVIRESTConfigControl
{
public:
    // Starts the platform's socket library for as long as the link lives.
    class WinSockHelper
    {
    public:
        WinSockHelper();
        virtual ~WinSockHelper();
        WinSockHelper(const WinSockHelper &) = delete;
        WinSockHelper &operator=(const WinSockHelper &) = delete;
    };

    static constexpr int MAX_RESPONSE_BUFFER_SIZE = HttpReplyReader::MAX_RESPONSE_BUFFER_SIZE;
    static constexpr int ConnectTimeoutMs = 1000;
    static constexpr int ReplyTimeoutMs = 1000;
    static constexpr int FirstBackoffMs = 1000;
    static constexpr int LongestBackoffMs = 8000;

    TAVIRESTConfigControl(std::string host, int port, std::string path);
    virtual ~TAVIRESTConfigControl();
    TAVIRESTConfigControl(const TAVIRESTConfigControl &) = delete;
    TAVIRESTConfigControl &operator=(const TAVIRESTConfigControl &) = delete;

    bool Connect();
    // A reply body of up to bodyLimit bytes is taken as the value.
    bool GetParam(std::string name, std::string &value, std::string format,
                  std::size_t bodyLimit = MAX_RESPONSE_BUFFER_SIZE);
    bool ChangeParam(std::string name, std::string value);

    // Closes the connection, if open; the next request connects again.
    void closeConnection();
    // May be called from another thread: a request waiting for the unit
    // returns at once, failed.
    void interrupt();
    bool isConnected() const { return socketHandle != -1; }
    // True while requests fail at once after a failed connect or a time-out.
    bool inBackoff() const;
    // Whether the last request got a whole reply with a status line, whatever
    // the status: a request that got none may not have reached the unit.
    bool answered() const { return m_answered; }

    const std::string &host() const { return m_host; }
    int port() const { return m_port; }

    // -1 when not connected.
    int socketHandle = -1;

private:
    using Clock = std::chrono::steady_clock;
    enum { NotSent = -1000, Broken = -1001 };

    int exchange(const std::string &request, std::string &body, const char *sendFailure, std::size_t bodyLimit);
    int exchangeOnce(const std::string &request, std::string &body, const char *sendFailure, std::size_t bodyLimit);
    int sendAndRead(const std::string &request, std::string &body, const char *sendFailure, std::size_t bodyLimit);
    int readReply(std::string &body, std::size_t bodyLimit);
    bool unaskedBytesWaiting();
    void startBackoff();
    bool fail(const char *what, const std::string &reason = std::string());

    std::string m_host;
    int m_port;
    std::string m_path;
    WinSockHelper m_winSock;
    SocketByteSource m_source;
    HttpReplyReader m_reader{m_source};
    int m_repliesOnConnection = 0;
    bool m_answered = false;
    std::mutex m_socketMutex; // the handle as interrupt() sees it
    int m_backoffMs = 0;
    Clock::time_point m_backoffUntil{};
};
