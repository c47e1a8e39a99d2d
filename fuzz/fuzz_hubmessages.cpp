// The panel's processing of what the hub sends: messages put together from
// the stream, each body decoded into commands, as the panel does.
//
// Input: four bytes of piece sizes (each 1 to 256, used in turn), then the
// stream. Fed once whole and once in those pieces, the stream must decode to
// the same commands, in the same order, with the same end.
#include "hubcommanddecoder.h"
#include "hubmessageassembler.h"
#include "hubwirereader.h"
#include "invariant.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// Commands compare as their bytes: every field is a 32-bit word, no padding.
static_assert(sizeof(HubCommand) == 4 * (8 + 2 * HubCommand::MaxPanels), "HubCommand has padding");

// Feeds the stream in pieces of the given sizes (none: whole) and describes
// what came out, up to a length word that puts the stream out of step, after
// which the panel connects again. Each body is also read as counted strings,
// the other shape of payload the wire carries.
std::string process(const QByteArray &stream, const uint8_t *pieces)
{
    using Result = HubMessageAssembler::Result;
    HubMessageAssembler assembler;
    std::string out;
    for (int from = 0, turn = 0; from < stream.size(); ++turn) {
        const int piece = pieces ? pieces[turn % 4] + 1 : stream.size();
        assembler.append(stream.constData() + from, std::min(piece, stream.size() - from));
        from += piece;
        for (Result result; (result = assembler.next()) != Result::NeedMore;) {
            const quint32 length = assembler.bodyLength();
            if (result == Result::Corrupt) {
                check(length >= HubMessageAssembler::MaxSaneLength, "only a wild length is out of step");
                check(assembler.idle(), "out of step leaves nothing held");
                return out + " corrupt " + std::to_string(length);
            }
            check((result == Result::Oversize) == (length > HubMessageAssembler::BodyCapacity),
                  "a message fits the body buffer, and only a longer one is skipped");
            out += (result == Result::Oversize ? " oversize " : " message ") + std::to_string(length);
            if (result == Result::Oversize)
                continue;
            const HubCommandDecoder::Result decoded = HubCommandDecoder::decode(assembler.body(), length);
            check(decoded.commands.size() <= length / 4, "every command takes at least its id word");
            out.append(reinterpret_cast<const char *>(decoded.commands.data()), decoded.commands.size() * sizeof(HubCommand));
            out += " end " + std::to_string(int(decoded.end)) + ' ' + std::to_string(decoded.endCommandId) + ' '
                + std::to_string(decoded.panelCount);
            HubWireReader strings(assembler.body(), length);
            QByteArray string;
            while (strings.string(string))
                check(strings.offset() <= length && quint32(string.size()) <= length, "a string stays inside its body");
            check(strings.offset() <= length, "a failed read stays inside the body");
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
