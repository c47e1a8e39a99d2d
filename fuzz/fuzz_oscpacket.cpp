// A UDP packet sent to the program's OSC port: taken apart into messages,
// each decoded (as liblo decodes it), routed to what it asks and paid from
// the budget. The packet's messages are also sent again as one bundle of as
// many of them as a packet may hold, the flood a show-control tool gone wild sends.
#include "libloreference.h"
#include "oscbudget.h"
#include "osccodec.h"
#include "oscpacket.h"
#include "oscrouter.h"
#include "parametercatalogue.h"
#include "invariant.h"

#include <QtEndian>

#include <cstdint>

namespace {
// The requests of a packet's messages; -1 when the packet was refused.
int route(const QByteArray &packet, QVector<RemoteRequest> &requests)
{
    requests.clear();
    QVector<QByteArray> messages;
    const OscPacket::Fault fault = OscPacket::split(packet, messages);
    check(fault == OscPacket::Fault::None || messages.isEmpty(), "a refused packet gives no message");
    check(messages.size() <= OscPacket::MostMessages, "no more messages than the bound");
    int bytes = 0;
    for (const QByteArray &message : messages) {
        bytes += message.size();
        check(message.startsWith('/') && message.size() % 4 == 0, "each message is an address and whole words");
        OscCodec::Message decoded;
        const bool taken = OscCodec::decode(message, decoded);
        check(libloAgrees(message, taken, decoded), "the codec takes what liblo takes, and reads it alike");
        if (!taken)
            continue;
        check(decoded.numbers.size() == decoded.types.size() && decoded.texts.size() == decoded.types.size(),
              "every argument is decoded");
        const OscRouter::Result result = OscRouter::route(decoded);
        if (const auto *request = std::get_if<RemoteRequest>(&result)) {
            check(request->cost >= 1, "every request costs");
            if (request->kind == RemoteRequest::Kind::Set && !request->query)
                check(request->slot >= 0 && request->value >= ParameterCatalogue::slot(request->slot).minimum
                          && request->value <= ParameterCatalogue::slot(request->slot).maximum,
                      "a value set is within its parameter's range");
            requests << *request;
        }
    }
    check(bytes <= packet.size(), "the messages lie inside the packet");
    return fault == OscPacket::Fault::None ? int(messages.size()) : -1;
}

// The messages of a packet, repeated into one bundle up to the bounds.
QByteArray manyOf(const QByteArray &packet)
{
    QVector<QByteArray> messages;
    if (OscPacket::split(packet, messages) != OscPacket::Fault::None || messages.isEmpty())
        return QByteArray();
    QByteArray bundle("#bundle\0\0\0\0\0\0\0\0\1", 16);
    for (int i = 0; i < OscPacket::MostMessages; ++i) {
        const QByteArray &message = messages[i % messages.size()];
        if (bundle.size() + 4 + message.size() > OscPacket::LargestPacket)
            break;
        bundle.append(4, '\0').append(message);
        qToBigEndian<quint32>(quint32(message.size()), bundle.data() + bundle.size() - message.size() - 4);
    }
    return bundle;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray packet(reinterpret_cast<const char *>(data), int(size));
    QVector<RemoteRequest> requests;
    if (route(packet, requests) <= 0)
        return 0;
    const QVector<RemoteRequest> once = requests;
    const QByteArray many = manyOf(packet);
    if (many.size() <= 16)
        return 0; // one message too large to go in a bundle
    check(route(many, requests) > 0, "a bundle of many messages within the bounds is taken");
    check(requests.size() >= once.size(), "each message of the bundle is routed as it was alone");

    // All at once from one sender: no more is obeyed than half a second's allowance.
    OscBudget budget;
    int spent = 0;
    for (const RemoteRequest &request : requests)
        spent += budget.take(QHostAddress(QHostAddress::LocalHost), request.cost, 0) ? request.cost : 0;
    check(spent <= OscBudget::PerSenderPerSecond / 2, "the budget bounds what is obeyed");
    return 0;
}
