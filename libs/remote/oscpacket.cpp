#include "oscpacket.h"

#include <QtEndian>

#include <cstring>

namespace {
const char BundleTag[] = "#bundle"; // with its NUL, 8 bytes
constexpr int BundleHeader = 16;    // tag and time tag
} // namespace

OscPacket::Fault OscPacket::split(const QByteArray &packet, QVector<QByteArray> &messages)
{
    messages.clear();
    if (packet.isEmpty() || packet.size() > LargestPacket)
        return Fault::Malformed;
    const Fault fault = walk(packet.constData(), packet.size(), 0, messages);
    if (fault != Fault::None)
        messages.clear();
    return fault;
}

OscPacket::Fault OscPacket::walk(const char *data, int size, int depth, QVector<QByteArray> &messages)
{
    // OSC sizes are multiples of four.
    if (size < 4 || size % 4 != 0)
        return Fault::Malformed;
    if (size < int(sizeof BundleTag) || std::memcmp(data, BundleTag, sizeof BundleTag) != 0) {
        if (data[0] != '/' || messages.size() >= MostMessages)
            return Fault::Malformed;
        messages.append(QByteArray(data, size));
        return Fault::None;
    }
    if (depth >= DeepestBundle)
        return Fault::TooDeep;
    if (size < BundleHeader)
        return Fault::Malformed;
    for (int at = BundleHeader; at < size;) {
        if (size - at < 4)
            return Fault::Malformed;
        const quint32 length = qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(data + at));
        at += 4;
        if (length > quint32(size - at))
            return Fault::Malformed;
        const Fault fault = walk(data + at, int(length), depth + 1, messages);
        if (fault != Fault::None)
            return fault;
        at += int(length);
    }
    return Fault::None;
}
