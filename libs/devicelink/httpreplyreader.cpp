#include "httpreplyreader.h"

#include "bytesource.h"
#include "linklog.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

// Header names are ASCII, so they are compared without the locale's rules.
void lowerAscii(const std::string &text, std::string &lowered)
{
    lowered.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        lowered[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
}

int digitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

bool scanNumber(const char *p, int base, long long &value)
{
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2], 16) >= 0)
        p += 2;
    if (digitValue(*p, base) < 0)
        return false;
    long long v = 0;
    for (int d; (d = digitValue(*p, base)) >= 0; ++p) {
        if (v > (LLONG_MAX - d) / base)
            v = LLONG_MAX;
        else
            v = v * base + d;
    }
    value = negative ? -v : v;
    return true;
}

int clampToInt(long long v)
{
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
}

} // namespace

HttpReplyReader::HttpReplyReader(ByteSource &source)
    : m_source(source)
{
}

bool HttpReplyReader::scanDecimal(const char *text, long long &value)
{
    return scanNumber(text, 10, value);
}

bool HttpReplyReader::scanHex(const char *text, long long &value)
{
    return scanNumber(text, 16, value);
}

// Waits for the next block when no byte is kept; false at the end of the
// stream or on failure.
bool HttpReplyReader::receiveBlock()
{
    m_keptStart = m_keptEnd = 0;
    const int n = m_source.receive(m_kept, ReceiveBlockSize);
    if (n <= 0)
        return false;
    m_keptEnd = static_cast<std::size_t>(n);
    return true;
}

bool HttpReplyReader::keptOnlyLineEnds() const
{
    return std::all_of(m_kept + m_keptStart, m_kept + m_keptEnd, [](char c) { return c == '\r' || c == '\n'; });
}

// The reply ended before it was complete: what was read is no whole reply,
// and the connection can carry no other.
void HttpReplyReader::stoppedShort()
{
    m_mustClose = true;
    m_whole = false;
}

// A reply that breaks the rules of the head cannot be read: nothing of it is
// used, and the rest of it stays unread, so the connection is done.
void HttpReplyReader::refuse(const char *reason)
{
    LinkLog::print(LinkLog::Stream::Error, "ERROR: reply refused - %s\n", reason);
    stoppedShort();
    m_refused = true;
}

bool HttpReplyReader::readLine(std::string &line, std::size_t limit)
{
    line.clear();
    std::size_t taken = 0;
    for (;;) {
        if (taken == limit)
            return false;
        if (m_keptStart == m_keptEnd && !receiveBlock())
            return false;
        const char *begin = m_kept + m_keptStart;
        const std::size_t kept = std::min(m_keptEnd - m_keptStart, limit - taken);
        const char *lineFeed = static_cast<const char *>(std::memchr(begin, '\n', kept));
        const char *stop = lineFeed ? lineFeed : begin + kept;
        for (const char *p = begin; p < stop;) {
            const char *cr = static_cast<const char *>(std::memchr(p, '\r', static_cast<std::size_t>(stop - p)));
            const char *pieceEnd = cr ? cr : stop;
            line.append(p, static_cast<std::size_t>(pieceEnd - p));
            p = cr ? cr + 1 : stop;
        }
        const std::size_t used = static_cast<std::size_t>(stop - begin) + (lineFeed ? 1 : 0);
        m_keptStart += used;
        m_bytesReceived += used;
        taken += used;
        if (lineFeed)
            return true;
    }
}

// Reads up to length bytes of body, waiting for them as needed, and appends
// them to the body. Returns the count read.
std::size_t HttpReplyReader::takeBody(std::size_t length, std::string &body)
{
    std::size_t taken = 0;
    while (taken < length) {
        if (m_keptStart == m_keptEnd && !receiveBlock())
            break;
        const std::size_t n = std::min(length - taken, m_keptEnd - m_keptStart);
        body.append(m_kept + m_keptStart, n);
        m_keptStart += n;
        taken += n;
    }
    m_bytesReceived += taken;
    return taken;
}

void HttpReplyReader::skip(std::size_t count)
{
    std::string ignored;
    takeBody(count, ignored);
}

int HttpReplyReader::readResponse(std::string &body, std::size_t bodyLimit)
{
    m_mustClose = false;
    m_whole = true;
    m_refused = false;
    m_bodyCut = false;
    m_bytesReceived = 0;
    body.clear();

    int status = 0;
    long long contentLength = 0;
    bool lengthSeen = false;
    bool chunked = false;
    int headLines = 0;

    std::string &line = m_line;
    for (;;) {
        // The head's byte limit bounds each line too, so a head that never
        // ends is refused however its bytes arrive.
        const bool complete = readLine(line, MaxHeadBytes - m_bytesReceived);
        if (!complete) {
            if (m_bytesReceived == MaxHeadBytes)
                refuse("head longer than its limit");
            else
                stoppedShort();
        }
        if (line.empty()) {
            // A line end left over from the previous reply may precede the
            // status line; only an empty line after it ends the headers.
            if (complete && headLines == 0)
                continue;
            break;
        }
        if (++headLines > MaxHeadLines) {
            refuse("more header lines than its limit");
            break;
        }

        if (line.find("HTTP/1.1 ") != std::string::npos) {
            long long v = 0;
            if (line.compare(0, 9, "HTTP/1.1 ") == 0 && scanDecimal(line.c_str() + 9, v))
                status = clampToInt(v);
            else
                LinkLog::print(LinkLog::Stream::Output, "bogus http status parse\n");
        }
        lowerAscii(line, m_lowered);
        if (m_lowered.find("connection: close") != std::string::npos)
            m_mustClose = true;
        if (m_lowered.find("content-length: ") != std::string::npos) {
            long long v = 0;
            if (m_lowered.compare(0, 16, "content-length: ") == 0 && scanDecimal(line.c_str() + 16, v)) {
                // Which length is the body's cannot be told: the reply is not read.
                if (lengthSeen && v != contentLength) {
                    refuse("Content-Length headers disagree");
                    break;
                }
                contentLength = v;
                lengthSeen = true;
            } else {
                LinkLog::print(LinkLog::Stream::Output, "bogus content-length parse\n");
            }
        }
        if (m_lowered.find("transfer-encoding: chunked") != std::string::npos)
            chunked = true;
        if (!complete)
            break;
    }
    if (!m_whole)
        return status;

    if (contentLength > 0) {
        std::size_t length = static_cast<std::size_t>(std::min<long long>(contentLength, INT_MAX));
        if (length > bodyLimit) {
            LinkLog::print(LinkLog::Stream::Error,
                    "WARNING: truncating response data - server response was too large. content length (%d), MAX_RESPONSE_BUFFER_SIZE (%d)\n",
                    static_cast<int>(length), static_cast<int>(bodyLimit));
            length = bodyLimit;
            // The rest of the body stays unread, so this connection is done.
            m_mustClose = true;
            m_bodyCut = true;
        }
        readBody(length, body);
    } else if (chunked && !readChunks(body, bodyLimit)) {
        status = -1;
    }
    // A NUL is no part of a unit's value: text read up to it would be a
    // shorter value than the unit holds ("6\0 00" for 600).
    if (body.find('\0') != std::string::npos)
        refuse("NUL in the body");
    if (m_refused)
        body.clear();
    return status;
}

void HttpReplyReader::readBody(std::size_t length, std::string &body)
{
    if (takeBody(length, body) < length)
        stoppedShort();
    else if (!m_mustClose)
        consumeLineEndIfPresent();
}

// A unit follows its counted body with a line end that the length does not
// count; a standard server does not. Take the line end only when it has
// already arrived, so neither kind makes the reader wait. A line end that
// arrives later is skipped before the next status line.
//
// On a kept connection nothing else may follow but the next reply: other
// bytes that arrived with the body mean that the body was longer than its
// length said ("1200" counted as 2), and what was read is only part of the
// value, so the reply is refused.
void HttpReplyReader::consumeLineEndIfPresent()
{
    char next[8];
    const std::size_t kept = std::min(keptCount(), sizeof next);
    std::memcpy(next, m_kept + m_keptStart, kept);
    std::size_t available = kept;
    // Only when the kept bytes cannot tell, look at what arrived since.
    if (available == 0 || (available == 1 && next[0] == '\r'))
        available += static_cast<std::size_t>(std::max(0, m_source.peek(next + available, static_cast<int>(sizeof next - available))));
    std::size_t take = 0;
    if (available >= 1 && next[0] == '\n')
        take = 1;
    else if (available >= 1 && next[0] == '\r')
        take = (available >= 2 && next[1] == '\n') ? 2 : 1;
    const char *rest = std::find_if(next + take, next + available, [](char c) { return c != '\r' && c != '\n'; });
    const std::size_t restLength = static_cast<std::size_t>(next + available - rest);
    static const char statusStart[] = "HTTP/";
    if (restLength > 0 && std::memcmp(rest, statusStart, std::min(restLength, sizeof statusStart - 1)) != 0) {
        refuse("body longer than its Content-Length");
        return;
    }
    skip(take);
}

bool HttpReplyReader::readChunks(std::string &body, std::size_t limit)
{
    std::string &line = m_line;
    // Chunk bytes taken so far; the body may be shorter (cut at a NUL).
    std::size_t taken = 0;
    for (;;) {
        const bool complete = readLine(line);
        long long size = 0;
        if (scanHex(line.c_str(), size)) {
            if (size < 0 || static_cast<unsigned long long>(size) > limit) {
                LinkLog::print(LinkLog::Stream::Error,
                        "ERROR: truncating chunked response data - server response was too large. chunk_size (%lld), MAX_RESPONSE_BUFFER_SIZE (%d)\n",
                        size, static_cast<int>(limit));
                m_mustClose = true;
                return false;
            }
            if (size == 0) {
                // Last chunk: skip any trailer lines up to the blank line.
                for (;;) {
                    if (!readLine(line)) {
                        stoppedShort();
                        break;
                    }
                    if (line.empty())
                        break;
                }
                return true;
            }
            // Chunks together are held to the same limit as a counted body;
            // the rest of the reply stays unread, so the connection is done.
            const std::size_t room = limit - taken;
            if (static_cast<std::size_t>(size) > room) {
                LinkLog::print(LinkLog::Stream::Error,
                        "WARNING: truncating chunked response data - server response was too large. MAX_RESPONSE_BUFFER_SIZE (%d)\n",
                        static_cast<int>(limit));
                m_bodyCut = true;
                m_mustClose = true;
                if (takeBody(room, body) < room)
                    m_whole = false;
                return true;
            }
            const std::size_t received = takeBody(static_cast<std::size_t>(size), body);
            taken += received;
            if (received < static_cast<std::size_t>(size)) {
                stoppedShort();
                return true;
            }
        } else if (!complete) {
            // The stream ended inside the body: keep what was read.
            stoppedShort();
            return true;
        }
    }
}
