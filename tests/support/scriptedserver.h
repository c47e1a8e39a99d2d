#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A TCP server on a free port of 127.0.0.1 that runs on its own thread and
// answers each request (the bytes up to the blank line) through a handler
// given by the test. The handler sends exact bytes, in pieces if it likes,
// closes the connection or stays silent.
class ScriptedServer
{
public:
    struct Options
    {
        // Raw: the handler gets no bytes when a connection is accepted, then
        // each piece as it is received, and requests() are those pieces.
        bool raw = false;
        // Deaf: reads nothing and has a small receive buffer, so the peer's
        // writes soon back up.
        bool deaf = false;
    };

    class Connection
    {
    public:
        // False when the connection is gone before every byte was sent.
        bool send(const std::string &bytes);
        void close();
        int index() const { return m_index; }
        int requestNumber() const { return m_requests; }

    private:
        friend class ScriptedServer;
        int m_fd = -1;
        int m_index = 0;
        int m_requests = 0;
        std::string m_pending;
    };

    using Handler = std::function<void(Connection &, const std::string &request)>;

    explicit ScriptedServer(Handler handler);
    ScriptedServer(Handler handler, Options options);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    int port() const { return m_port; }
    std::vector<std::string> requests() const;
    void clearRequests();
    int connectionCount() const { return m_connections.load(); }
    // Sends the bytes on the newest connection from the server's thread, one
    // such piece per turn of its loop.
    void sendLater(const std::string &bytes);

    // A standard reply with a counted body followed by a line end, as the units send.
    static std::string unitReply(const std::string &body, int status = 200, const std::string &extraHeaders = {});

private:
    void run();

    Handler m_handler;
    const Options m_options;
    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::deque<std::string> m_outbox;
    std::thread m_thread;
};
