#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A TCP server on 127.0.0.1 that runs on its own thread and answers each
// request (the bytes up to the blank line) through a handler given by the
// test. The handler sends exact bytes, in pieces if it likes, closes the
// connection or stays silent.
class ScriptedServer
{
public:
    class Connection
    {
    public:
        // False when the connection is gone before every byte was sent.
        bool send(const std::string &bytes);
        // Sends the bytes in pieces of the given size, pausing between them.
        void sendInPieces(const std::string &bytes, std::size_t pieceSize, int pauseMs);
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
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    int port() const { return m_port; }
    std::vector<std::string> requests() const;
    int connectionCount() const { return m_connections.load(); }

    // A standard reply with a counted body followed by a line end, as the units send.
    static std::string unitReply(const std::string &body, int status = 200, const std::string &extraHeaders = {});

private:
    void run();

    Handler m_handler;
    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
