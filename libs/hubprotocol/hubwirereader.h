#pragma once

#include <QByteArray>
#include <QtGlobal>

// Reads big-endian words, reals and counted strings from one message body.
// Every read checks that it stays inside the body; a read that would run past
// the end fails, reads nothing and leaves the position where it was.
class HubWireReader
{
public:
    HubWireReader(const uchar *data, quint32 length);

    bool word(quint32 &value);
    bool signedWord(qint32 &value);
    bool real(float &value);
    bool string(QByteArray &text);
    bool skip(quint32 bytes);

    quint32 offset() const { return m_offset; }
    quint32 remaining() const { return m_length - m_offset; }
    bool atEnd() const { return m_offset >= m_length; }

private:
    const uchar *m_data;
    quint32 m_length;
    quint32 m_offset = 0;
};
