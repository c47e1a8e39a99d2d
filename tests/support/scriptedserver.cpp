#include "scriptedserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <list>

bool ScriptedServer::Connection::send(const std::string &bytes)
{
    std::size_t done = 0;
    while (m_fd != -1 && done < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return done == bytes.size();
}

void ScriptedServer::Connection::close()
{
    if (m_fd != -1) {
        ::close(m_fd);
        m_fd = -1;
    }
}

ScriptedServer::ScriptedServer(Handler handler) : ScriptedServer(std::move(handler), Options()) {}

ScriptedServer::ScriptedServer(Handler handler, Options options)
    : m_handler(std::move(handler))
    , m_options(options)
{
    m_listenFd = socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1, small = 4096;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (options.deaf)
        setsockopt(m_listenFd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    listen(m_listenFd, 16);
    socklen_t length = sizeof address;
    getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

ScriptedServer::~ScriptedServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listenFd);
}

std::vector<std::string> ScriptedServer::requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void ScriptedServer::clearRequests()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
}

void ScriptedServer::sendLater(const std::string &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_outbox.push_back(bytes);
}

std::string ScriptedServer::unitReply(const std::string &body, int status, const std::string &extraHeaders)
{
    return "HTTP/1.1 " + std::to_string(status) + " OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n"
        + extraHeaders + "\r\n" + body + "\r\n";
}

void ScriptedServer::run()
{
    std::list<Connection> connections;
    while (!m_stop) {
        std::vector<pollfd> fds{{m_listenFd, POLLIN, 0}};
        for (auto &c : connections)
            fds.push_back({c.m_fd, short(m_options.deaf ? 0 : POLLIN), 0});
        poll(fds.data(), fds.size(), 20);
        if (fds[0].revents & POLLIN) {
            const int fd = accept(m_listenFd, nullptr, nullptr);
            if (fd != -1) {
                connections.emplace_back();
                connections.back().m_fd = fd;
                connections.back().m_index = m_connections++;
                if (m_options.raw)
                    m_handler(connections.back(), {});
            }
        }
        std::size_t i = 1;
        for (auto it = connections.begin(); it != connections.end(); ++i) {
            Connection &c = *it;
            if (i < fds.size() && fds[i].fd == c.m_fd && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                char buffer[4096];
                const ssize_t n = recv(c.m_fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    c.close();
                } else if (m_options.raw) {
                    const std::string piece(buffer, static_cast<std::size_t>(n));
                    {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        m_requests.push_back(piece);
                    }
                    m_handler(c, piece);
                } else {
                    c.m_pending.append(buffer, static_cast<std::size_t>(n));
                    std::size_t end;
                    while (c.m_fd != -1 && (end = c.m_pending.find("\r\n\r\n")) != std::string::npos) {
                        const std::string request = c.m_pending.substr(0, end + 4);
                        c.m_pending.erase(0, end + 4);
                        {
                            std::lock_guard<std::mutex> lock(m_mutex);
                            m_requests.push_back(request);
                        }
                        ++c.m_requests;
                        m_handler(c, request);
                    }
                }
            }
            it = (c.m_fd == -1) ? connections.erase(it) : std::next(it);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!connections.empty() && !m_outbox.empty()) {
            connections.back().send(m_outbox.front());
            m_outbox.pop_front();
        }
    }
    for (auto &c : connections)
        c.close();
}
