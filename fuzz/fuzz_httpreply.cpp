// The reply reader over whatever a unit might send on one kept connection.
//
// Input: two bytes that choose how the stream arrives, then the stream.
//   byte 0: bytes handed out per receive (0: all at once, else 1 to 255);
//   byte 1: how much of the stream has arrived when the reader peeks for a
//           line end after a body (in 255ths; 255: all of it).
// Replies are read one after another, as the link does, until the stream
// ends; it may end anywhere. Run with -close_fd_mask=3 (fuzz/run.sh does),
// which silences the reader's diagnostics.
#include "httpreplyreader.h"
#include "invariant.h"
#include "memorybytesource.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace {

// A line as the reader reads it: carriage returns dropped wherever they
// stand, letters in lower case.
std::string lowered(std::string line)
{
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    std::transform(line.begin(), line.end(), line.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return line;
}

// Checks the head of a whole reply (line ends before the status line
// skipped): its limits, and length lines that agree. Returns where the body
// starts; length is the one declared, or 0.
std::size_t checkWholeHead(const std::string &reply, long long &length)
{
    length = 0;
    bool lengthSeen = false;
    int lines = 0;
    std::size_t position = 0;
    for (;;) {
        const std::size_t lineFeed = reply.find('\n', position);
        check(lineFeed != std::string::npos, "a whole reply ends its headers with a blank line");
        const std::string line = lowered(reply.substr(position, lineFeed - position));
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const std::string stream(reinterpret_cast<const char *>(data) + 2, size - 2);
    MemoryByteSource source(stream, data[0] == 0 ? std::size_t(1) << 20 : data[0]);
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
        long long length = 0;
        const std::size_t bodyStart = reader.whole() ? checkWholeHead(reply, length) : 0;
        // Without chunks the body is a piece of the reply's own bytes; in a
        // whole reply, exactly the bytes its length declares.
        if (lowered(reply).find("chunked") == std::string::npos) {
            check(reply.find(body) != std::string::npos, "a counted body comes from its reply");
            check(!reader.whole() || reader.bodyCut()
                      || (body.size() == std::size_t(std::max(length, 0LL)) && reply.compare(bodyStart, body.size(), body) == 0),
                  "a whole counted body is exactly the bytes its length declares");
        }
        if (reader.bytesReceived() == 0) {
            check(source.remaining() == 0 && reader.keptCount() == 0, "a reply that reads nothing is the end of the stream");
            return 0;
        }
    }
    check(false, "reading ends");
    return 0;
}
