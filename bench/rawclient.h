#pragma once

#include <string>

// The least a client can do for one request on a kept-alive connection: one
// send of the request bytes and one receive of the whole reply, no parsing.
// It sets the link's socket options, so both measure the same kind of
// connection; its speed is the limit the device link is held against.
class RawClient
{
public:
    RawClient() = default;
    ~RawClient();
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    bool connectTo(const std::string &address, int port);
    // The byte count of the reply, or -1 when the connection failed.
    int exchange(const std::string &request);

private:
    int m_socket = -1;
    char m_buffer[4096];
};
