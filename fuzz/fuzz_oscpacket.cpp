// A UDP packet sent to the program's OSC port: taken apart into messages,
// each decoded by liblo and routed to what it asks.
#include "oscpacket.h"
#include "oscrouter.h"
#include "parametercatalogue.h"
#include "invariant.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray packet(reinterpret_cast<const char *>(data), int(size));
    QVector<QByteArray> messages;
    const OscPacket::Fault fault = OscPacket::split(packet, messages);
    check(fault == OscPacket::Fault::None || messages.isEmpty(), "a refused packet gives no message");
    check(messages.size() <= OscPacket::MostMessages, "no more messages than the bound");
    int bytes = 0;
    for (const QByteArray &message : messages) {
        bytes += message.size();
        check(message.startsWith('/') && message.size() % 4 == 0, "each message is an address and whole words");
        OscRouter::Message decoded;
        if (!OscRouter::decode(message, decoded))
            continue;
        check(decoded.numbers.size() == decoded.types.size() && decoded.texts.size() == decoded.types.size(),
              "every argument is decoded");
        const OscRouter::Result result = OscRouter::route(decoded);
        if (const auto *request = std::get_if<RemoteRequest>(&result)) {
            if (request->kind == RemoteRequest::Kind::Set)
                check(request->slot >= 0 && request->value >= ParameterCatalogue::slot(request->slot).minimum
                          && request->value <= ParameterCatalogue::slot(request->slot).maximum,
                      "a value set is within its parameter's range");
        }
    }
    check(bytes <= packet.size(), "the messages lie inside the packet");
    return 0;
}
