// The panel's processing of what the hub sends: messages put together from
// the stream, each body decoded into commands, as the panel does.
//
// Input: four bytes of piece sizes (each 1 to 256, used in turn), then the
// stream. The stream is fed once whole and once in those pieces; both must
// decode to the same commands, in the same order, with the same end.
#include "hubcommanddecoder.h"
#include "hubmessageassembler.h"
#include "hubwirereader.h"
#include "invariant.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// Commands compare as their bytes: every field is a 32-bit word, no padding.
static_assert(sizeof(HubCommand) == 4 * (8 + 2 * HubCommand::MaxPanels), "HubCommand has padding");

// Decodes one body as the panel does, and reads it once more as counted
// strings, the other shape of payload the wire carries.
void decode(std::string &out, const uchar *body, quint32 length)
{
    const HubCommandDecoder::Result result = HubCommandDecoder::decode(body, length);
    check(result.commands.size() <= length / 4, "every command takes at least its id word");
    out.append(reinterpret_cast<const char *>(result.commands.data()), result.commands.size() * sizeof(HubCommand));
    char text[64];
    snprintf(text, sizeof text, " end %d %x %x;", int(result.end), result.endCommandId, result.panelCount);
    out += text;

    HubWireReader strings(body, length);
    QByteArray string;
    while (strings.string(string))
        check(strings.offset() <= length && quint32(string.size()) <= length, "a string stays inside its body");
    check(strings.offset() <= length, "a failed read stays inside the body");
}

// Feeds the stream in pieces of the given sizes (0: whole) and describes what
// came out, up to a length word that puts the stream out of step, after which
// the panel connects again.
std::string process(const QByteArray &stream, const uint8_t *pieces)
{
    HubMessageAssembler assembler;
    std::string out;
    int from = 0;
    for (int turn = 0; from < stream.size(); ++turn) {
        const int piece = pieces ? pieces[turn % 4] + 1 : stream.size();
        assembler.append(stream.constData() + from, std::min(piece, stream.size() - from));
        from += piece;
        for (;;) {
            const HubMessageAssembler::Result result = assembler.next();
            if (result == HubMessageAssembler::Result::NeedMore)
                break;
            if (result == HubMessageAssembler::Result::Corrupt) {
                check(assembler.bodyLength() >= HubMessageAssembler::MaxSaneLength, "only a wild length is out of step");
                check(assembler.idle(), "out of step leaves nothing held");
                return out + " corrupt " + std::to_string(assembler.bodyLength());
            }
            if (result == HubMessageAssembler::Result::Oversize) {
                check(assembler.bodyLength() > HubMessageAssembler::BodyCapacity, "only a long body is skipped");
                out += " oversize " + std::to_string(assembler.bodyLength());
                continue;
            }
            check(assembler.bodyLength() <= HubMessageAssembler::BodyCapacity, "a message fits the body buffer");
            out += " message " + std::to_string(assembler.bodyLength()) + ":";
            decode(out, assembler.body(), assembler.bodyLength());
        }
    }
    return out + (assembler.idle() ? " idle" : " partial");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const QByteArray stream(reinterpret_cast<const char *>(data) + 4, int(size - 4));
    check(process(stream, nullptr) == process(stream, data), "pieces decode as the whole stream does");
    return 0;
}
