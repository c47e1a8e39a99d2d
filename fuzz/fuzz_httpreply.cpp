// The reply reader over whatever a unit might send on one kept connection.
//
// Input: two bytes that choose how the stream arrives, then the stream.
//   byte 0: bytes handed out per receive (0: all at once, else 1 to 255);
//   byte 1: how much of the stream has arrived when the reader peeks for a
//           line end after a body (in 255ths; 255: all of it).
// Replies are read one after another, as the link does on a kept connection,
// until the stream ends; it may end anywhere. The reader's diagnostics are
// silenced by running with -close_fd_mask=3 (fuzz/run.sh does).
#include "httpreplyreader.h"
#include "invariant.h"
#include "memorybytesource.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// The bytes as the reader reads a head: carriage returns dropped wherever
// they stand, letters in lower case (names compare without case).
std::string lowered(const std::string &bytes, std::size_t from = 0, std::size_t to = std::string::npos)
{
    std::string text;
    for (std::size_t i = from; i < std::min(to, bytes.size()); ++i) {
        if (bytes[i] != '\r')
            text += (bytes[i] >= 'A' && bytes[i] <= 'Z') ? static_cast<char>(bytes[i] - 'A' + 'a') : bytes[i];
    }
    return text;
}

// The head of a whole reply, its lines read as the reader reads them (line
// ends before the status line skipped): it keeps to the head's limits and
// its length lines agree. Returns where the body starts; length is the
// declared one.
std::size_t wholeHead(const std::string &reply, long long &length)
{
    length = 0;
    bool lengthSeen = false;
    int lines = 0;
    std::size_t position = 0;
    for (;;) {
        const std::size_t lineFeed = reply.find('\n', position);
        check(lineFeed != std::string::npos, "a whole reply ends its headers with a blank line");
        const std::string line = lowered(reply, position, lineFeed);
        position = lineFeed + 1;
        if (line.empty() && lines > 0)
            break;
        lines += line.empty() ? 0 : 1;
        long long v = 0;
        if (line.compare(0, 16, "content-length: ") == 0 && HttpReplyReader::scanDecimal(line.c_str() + 16, v)) {
            check(!lengthSeen || v == length, "the length headers of a whole reply agree");
            length = v;
            lengthSeen = true;
        }
    }
    check(lines <= HttpReplyReader::MaxHeadLines, "a whole reply has at most 100 head lines");
    check(position <= HttpReplyReader::MaxHeadBytes, "a whole reply has a head of at most 16 KiB");
    return position;
}

// The body a reply without chunks declares: the Content-Length bytes after its head.
std::string declaredBody(const std::string &reply, std::size_t bodyStart, long long length)
{
    if (length <= 0)
        return {};
    check(reply.size() - bodyStart >= static_cast<std::size_t>(length), "a whole counted body was read to its end");
    return reply.substr(bodyStart, static_cast<std::size_t>(length));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t pieceSize = data[0] == 0 ? std::size_t(1) << 20 : data[0];
    const std::string stream(reinterpret_cast<const char *>(data) + 2, size - 2);
    MemoryByteSource source(stream, pieceSize);
    const std::size_t arrived = stream.size() * data[1] / 255;
    source.setArrivedUpTo(arrived);
    HttpReplyReader reader(source);

    std::size_t read = 0; // bytes the replies so far were made of
    std::string body;
    // Every reply takes at least one byte, so there are no more replies than bytes.
    for (std::size_t replies = 0; replies <= stream.size(); ++replies) {
        const std::size_t start = read;
        reader.readResponse(body);
        read += reader.bytesReceived();

        check(source.position() <= stream.size(), "never reads past the data given");
        check(read + reader.keptCount() == source.position(), "every byte received is read or kept, once");
        // On a socket such a wait lasts until the unit sends again or the time-out.
        check(read > arrived || source.position() <= arrived, "no wait for bytes after a reply that has arrived");
        check(body.size() <= HttpReplyReader::MAX_RESPONSE_BUFFER_SIZE, "a body is at most 4096 bytes");
        check(body.find('\0') == std::string::npos, "a body holds no NUL");
        check(reader.whole() || reader.mustClose(), "a reply that stopped short ends the connection");
        check(!reader.bodyCut() || reader.mustClose(), "a cut body ends the connection");
        const std::string reply = stream.substr(start, reader.bytesReceived());
        // Without chunks the body is a piece of the reply's own bytes, and in
        // a whole reply exactly the piece its length declares.
        long long length = 0;
        const std::size_t bodyStart = reader.whole() ? wholeHead(reply, length) : 0;
        if (lowered(reply).find("chunked") == std::string::npos) {
            check(reply.find(body) != std::string::npos, "a counted body comes from its reply");
            if (reader.whole() && !reader.bodyCut())
                check(body == declaredBody(reply, bodyStart, length), "a whole counted body is what its length declares");
        }

        if (reader.bytesReceived() == 0) {
            check(source.remaining() == 0 && reader.keptCount() == 0, "a reply that reads nothing is the end of the stream");
            return 0;
        }
    }
    check(false, "reading ends");
    return 0;
}
