#pragma once

#include <QByteArray>
#include <QVector>

// The envelope of an OSC packet: a message, or a bundle ("#bundle", a time
// tag, then elements each with its byte count) that holds messages and
// bundles. Splits a packet into its messages, checking every count against
// the packet and refusing bundles nested deeper than a bound; the messages
// themselves are decoded by OscCodec.
class OscPacket
{
public:
    static constexpr int LargestPacket = 8192;
    static constexpr int DeepestBundle = 4;
    static constexpr int MostMessages = 64;

    enum class Fault { None, Malformed, TooDeep };

    // The messages of the packet in order; on a fault none.
    static Fault split(const QByteArray &packet, QVector<QByteArray> &messages);

private:
    static Fault walk(const char *data, int size, int depth, QVector<QByteArray> &messages);
};
