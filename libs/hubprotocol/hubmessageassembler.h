#pragma once

#include <QByteArray>
#include <QtGlobal>

// Puts hub messages (a big-endian 32-bit body length, then the body) together
// again from the pieces a TCP stream delivers them in: a length word or a body
// may be split anywhere. Used by both ends of the hub connection.
//
// Usage: append() what arrived, then call next() until it says NeedMore.
//
// A body longer than the receive buffer is not stored: its bytes are skipped
// as they arrive, so the stream stays in step. A length from MaxSaneLength up
// means the stream is out of step (no hub sends such a message); the caller
// should drop the connection.
class HubMessageAssembler
{
public:
    static constexpr quint32 BodyCapacity = 1028;
    static constexpr quint32 MaxSaneLength = 64 * 1024;

    enum class Result {
        NeedMore, // everything appended has been consumed
        Message,  // body() holds a complete body of bodyLength() bytes
        Oversize, // a body of bodyLength() bytes is too long and is being skipped
        Corrupt,  // a length of bodyLength() bytes: the stream is out of step; reset() follows
    };

    void append(const char *data, qint64 length);
    void append(const QByteArray &bytes) { append(bytes.constData(), bytes.size()); }
    Result next();
    // Forgets any partial message and everything appended (a new connection).
    void reset();

    const uchar *body() const { return m_body; }
    quint32 bodyLength() const { return m_length; }
    // True between messages: no partial length word or body is held.
    bool idle() const { return m_lengthBytes == 0 && !m_inBody; }

private:
    QByteArray m_pending;
    int m_pendingOffset = 0;
    uchar m_lengthWord[4] = {};
    quint32 m_lengthBytes = 0;
    bool m_inBody = false;
    bool m_skipping = false;
    quint32 m_length = 0;
    quint32 m_received = 0;
    uchar m_body[BodyCapacity] = {};
};
