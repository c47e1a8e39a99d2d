#include "osccodec.h"

#include <QtEndian>

#include <cstring>
#include <limits>

namespace {

// Reads a message front to back; every read checks what is left first.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_bytes(bytes) {}

    bool atEnd() const { return m_at == m_bytes.size(); }

    // A string: its bytes up to a NUL, then NULs to the next multiple of four.
    bool string(QByteArray &text)
    {
        const int nul = m_bytes.indexOf('\0', m_at);
        if (nul < 0)
            return false;
        const int end = m_at + ((nul - m_at) / 4 + 1) * 4;
        if (end > m_bytes.size() || !zeros(nul, end))
            return false;
        text = m_bytes.mid(m_at, nul - m_at);
        m_at = end;
        return true;
    }

    // A big-endian number of 4 or 8 bytes.
    template <typename Word>
    bool word(Word &value)
    {
        if (m_bytes.size() - m_at < int(sizeof value))
            return false;
        value = qFromBigEndian<Word>(m_bytes.constData() + m_at);
        m_at += int(sizeof value);
        return true;
    }

    // A blob: its byte count, the bytes, then NULs to the next multiple of four.
    bool blob()
    {
        quint32 size = 0;
        if (!word(size) || size > quint32(m_bytes.size() - m_at))
            return false;
        const int end = m_at + int((size + 3) / 4 * 4);
        if (end > m_bytes.size() || !zeros(m_at + int(size), end))
            return false;
        m_at = end;
        return true;
    }

private:
    bool zeros(int from, int to) const
    {
        for (int i = from; i < to; ++i) {
            if (m_bytes[i] != '\0')
                return false;
        }
        return true;
    }

    const QByteArray &m_bytes;
    int m_at = 0;
};

// A string and its padding: at least one NUL, up to a multiple of four.
void appendString(QByteArray &bytes, const QByteArray &text)
{
    const int nul = text.indexOf('\0');
    const QByteArray string = nul < 0 ? text : text.left(nul);
    bytes.append(string).append(4 - string.size() % 4, '\0');
}

void appendWord(QByteArray &bytes, quint32 word)
{
    bytes.append(4, '\0');
    qToBigEndian(word, bytes.data() + bytes.size() - 4);
}

} // namespace

bool OscCodec::decode(const QByteArray &bytes, Message &message)
{
    // Every part is whole words, so a size not a multiple of four leaves
    // bytes after the last part, which refuses the message at its end.
    Reader in(bytes);
    Message decoded;
    QByteArray tags;
    if (!in.string(decoded.path) || !in.string(tags) || !tags.startsWith(','))
        return false;
    decoded.types = tags.mid(1);
    for (const char type : qAsConst(decoded.types)) {
        double number = std::numeric_limits<double>::quiet_NaN();
        QByteArray text;
        bool read = true;
        switch (type) {
        case 'i': {
            qint32 value = 0;
            read = in.word(value);
            number = value;
            break;
        }
        case 'h': {
            qint64 value = 0;
            read = in.word(value);
            number = double(value);
            break;
        }
        case 'f': {
            quint32 bits = 0;
            float value = 0;
            read = in.word(bits);
            std::memcpy(&value, &bits, sizeof value);
            number = double(value);
            break;
        }
        case 'd': {
            quint64 bits = 0;
            read = in.word(bits);
            std::memcpy(&number, &bits, sizeof number);
            break;
        }
        case 'c': // a character and a MIDI message, four bytes each
        case 'm': {
            quint32 skipped = 0;
            read = in.word(skipped);
            break;
        }
        case 't': { // a time tag
            quint64 skipped = 0;
            read = in.word(skipped);
            break;
        }
        case 's':
        case 'S':
            read = in.string(text);
            break;
        case 'b':
            read = in.blob();
            break;
        case 'T':
            number = 1;
            break;
        case 'F':
            number = 0;
            break;
        case 'N': // nil and infinitum: no bytes
        case 'I':
            break;
        default: // nothing tells how many bytes it takes
            return false;
        }
        if (!read)
            return false;
        decoded.numbers << number;
        decoded.texts << QString::fromUtf8(text);
    }
    if (!in.atEnd())
        return false;
    message = decoded;
    return true;
}

QByteArray OscCodec::encode(const QByteArray &address, const QVector<Argument> &arguments)
{
    QByteArray tags(",");
    QByteArray values;
    for (const Argument &argument : arguments) {
        if (const auto *integer = std::get_if<qint32>(&argument)) {
            tags += 'i';
            appendWord(values, quint32(*integer));
        } else if (const auto *real = std::get_if<float>(&argument)) {
            quint32 bits = 0;
            std::memcpy(&bits, real, sizeof bits);
            tags += 'f';
            appendWord(values, bits);
        } else {
            tags += 's';
            appendString(values, std::get<QString>(argument).toUtf8());
        }
    }
    QByteArray bytes;
    appendString(bytes, address);
    appendString(bytes, tags);
    return bytes + values;
}
