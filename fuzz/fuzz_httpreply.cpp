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
#include "memorybytesource.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void broken(const char *invariant)
{
    fprintf(stderr, "invariant broken: %s\n", invariant);
    abort();
}

void check(bool holds, const char *invariant)
{
    if (!holds)
        broken(invariant);
}

// Whether a header may have asked for chunks: the reader drops carriage
// returns wherever they stand and compares names without case.
bool mayBeChunked(const std::string &bytes)
{
    std::string lowered;
    for (char c : bytes) {
        if (c != '\r')
            lowered += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lowered.find("chunked") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t pieceSize = data[0] == 0 ? std::size_t(1) << 20 : data[0];
    const std::string stream(reinterpret_cast<const char *>(data) + 2, size - 2);
    MemoryByteSource source(stream, pieceSize);
    source.setArrivedUpTo(stream.size() * data[1] / 255);
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
        check(body.size() <= HttpReplyReader::MAX_RESPONSE_BUFFER_SIZE, "a body is at most 4096 bytes");
        check(reader.whole() || reader.mustClose(), "a reply that stopped short ends the connection");
        check(!reader.bodyCut() || reader.mustClose(), "a cut body ends the connection");
        const std::string reply = stream.substr(start, reader.bytesReceived());
        // Without chunks the body is a piece of the reply's own bytes.
        if (!mayBeChunked(reply))
            check(reply.find(body) != std::string::npos, "a counted body comes from its reply");

        if (reader.bytesReceived() == 0) {
            check(source.remaining() == 0 && reader.keptCount() == 0, "a reply that reads nothing is the end of the stream");
            return 0;
        }
    }
    broken("reading ends");
}
