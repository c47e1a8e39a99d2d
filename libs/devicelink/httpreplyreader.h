#pragma once

#include <cstddef>
#include <string>

class ByteSource;

// Reads one HTTP/1.1 reply at a time from a byte source: status line,
// headers, and a body sized by Content-Length or sent in chunks.
//
// Bytes are received in blocks, not one at a time: a whole reply usually
// takes one receive. Bytes of a block beyond what a step needs stay kept for
// the next step, the body or the next reply, so nothing is taken from a reply
// that does not belong to it.
class HttpReplyReader
{
public:
    // The longest body read unless a request asks for another limit.
    static constexpr int MAX_RESPONSE_BUFFER_SIZE = 4096;
    // A line of more bytes than this is not a reply of a unit; reading stops.
    static constexpr std::size_t MAX_LINE_LENGTH = 65536;
    // The head of a reply (status line, headers and the blank line) holds at
    // most so many lines and bytes; a longer one is refused.
    static constexpr int MaxHeadLines = 100;
    static constexpr std::size_t MaxHeadBytes = 16384;
    static constexpr int ReceiveBlockSize = 8192;

    explicit HttpReplyReader(ByteSource &source);

    // One line without its line end; carriage returns are dropped wherever
    // they stand. Returns false when the stream ended, or when limit bytes
    // (line end included) were taken without a line feed among them; the
    // line then holds what had arrived.
    bool readLine(std::string &line, std::size_t limit = MAX_LINE_LENGTH);

    // Reads one reply, keeping at most bodyLimit bytes of body. Returns the
    // status (0 when no status line was recognised, -1 after an oversize
    // chunk) and delivers the body.
    int readResponse(std::string &body, std::size_t bodyLimit = MAX_RESPONSE_BUFFER_SIZE);

    // After readResponse: the reply arrived as far as it is read (the blank
    // line after the headers, a counted body up to its length or the limit,
    // the last chunk and its trailer). False when the stream ended, failed or
    // timed out first, so the body may hold only part of the value; false
    // too for a reply refused as unreadable, whose body is then empty: its
    // head is longer than MaxHeadLines or MaxHeadBytes, its Content-Length
    // headers disagree, its body holds a NUL, or on a kept connection more
    // than a line end followed its counted body.
    bool whole() const { return m_whole; }
    // After readResponse: the body was longer than the limit and only its
    // first bytes were kept, so it cannot be taken as a value.
    bool bodyCut() const { return m_bodyCut; }
    // True when every kept byte is a carriage return or line feed: what a
    // unit may send after a counted body, which is skipped before the next
    // status line.
    bool keptOnlyLineEnds() const;

    // After readResponse: the connection cannot carry another reply, because
    // the peer asked to close it, the stream ended or failed, or bytes of
    // this reply are still unread.
    bool mustClose() const { return m_mustClose; }
    // Bytes received but not yet read: the start of the next reply.
    std::size_t keptCount() const { return m_keptEnd - m_keptStart; }
    // Forgets the kept bytes, when the connection they came from is gone.
    void discardKept() { m_keptStart = m_keptEnd = 0; }
    // After readResponse: bytes read for this reply.
    std::size_t bytesReceived() const { return m_bytesReceived; }

    // Number scanners with the leniency of the C scanf conversions %d and %x
    // (leading blanks, a sign, trailing text ignored) but without overflow:
    // values beyond the range saturate. Return false when no digit is found.
    static bool scanDecimal(const char *text, long long &value);
    static bool scanHex(const char *text, long long &value);

private:
    bool receiveBlock();
    std::size_t takeBody(std::size_t length, std::string &body);
    void skip(std::size_t count);
    void stoppedShort();
    void refuse(const char *reason);
    void readBody(std::size_t length, std::string &body);
    bool readChunks(std::string &body, std::size_t limit);
    void consumeLineEndIfPresent();

    ByteSource &m_source;
    std::string m_line;    // kept between replies to spare allocations
    std::string m_lowered; // the header line in lower case
    char m_kept[ReceiveBlockSize];
    std::size_t m_keptStart = 0;
    std::size_t m_keptEnd = 0;
    bool m_mustClose = false;
    bool m_whole = false;
    bool m_refused = false;
    bool m_bodyCut = false;
    std::size_t m_bytesReceived = 0;
};
