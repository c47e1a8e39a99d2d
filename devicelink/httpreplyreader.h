#pragma once

#include <cstddef>
#include <string>

class ByteSource;

// Reads one HTTP/1.1 reply at a time from a byte source: status line,
// headers, and a body sized by Content-Length or sent in chunks.
class HttpReplyReader
{
public:
    static constexpr int MAX_RESPONSE_BUFFER_SIZE = 4096;
    // A header line longer than this is not a reply of a unit; reading stops.
    static constexpr std::size_t MAX_LINE_LENGTH = 65536;

    explicit HttpReplyReader(ByteSource &source);

    // One line without its line end; carriage returns are dropped wherever
    // they stand. Returns false when the stream ended (or the line grew too
    // long) before a line feed; the line then holds what had arrived.
    bool readLine(std::string &line);

    // Reads one reply. Returns the status (0 when no status line was
    // recognised, -1 after an oversize chunk) and delivers the body.
    int readResponse(std::string &body);

    // After readResponse: the connection cannot carry another reply, because
    // the peer asked to close it, the stream ended or failed, or bytes of
    // this reply are still unread.
    bool mustClose() const { return m_mustClose; }
    // After readResponse: bytes that arrived for this reply.
    std::size_t bytesReceived() const { return m_bytesReceived; }

    // Number scanners with the leniency of the C scanf conversions %d and %x
    // (leading blanks, a sign, trailing text ignored) but without overflow:
    // values beyond the range saturate. Return false when no digit is found.
    static bool scanDecimal(const char *text, long long &value);
    static bool scanHex(const char *text, long long &value);

private:
    int receiveFully(char *buffer, int length);
    void readBody(int length, std::string &body);
    bool readChunks(std::string &body);
    void consumeLineEndIfPresent();

    ByteSource &m_source;
    char m_buffer[MAX_RESPONSE_BUFFER_SIZE];
    bool m_mustClose = false;
    std::size_t m_bytesReceived = 0;
};
