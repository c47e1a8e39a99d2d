#include "rawclient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

RawClient::~RawClient()
{
    if (m_socket != -1)
        ::close(m_socket);
}

bool RawClient::connectTo(const std::string &address, int port)
{
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket == -1)
        return false;
    int one = 1;
    ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &peer.sin_addr) != 1)
        return false;
    return ::connect(m_socket, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) == 0;
}

int RawClient::exchange(const std::string &request)
{
    if (::send(m_socket, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
        return -1;
    const ssize_t received = ::recv(m_socket, m_buffer, sizeof m_buffer, 0);
    return received > 0 ? static_cast<int>(received) : -1;
}
