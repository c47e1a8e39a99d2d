#include "devicerequest.h"

#include <limits>

namespace {
// The end of the head: the index just past the blank line, or -1.
int headEnd(const QByteArray &buffer)
{
    for (int i = buffer.indexOf('\n'); i >= 0; i = buffer.indexOf('\n', i + 1)) {
        if (i + 1 < buffer.size() && buffer.at(i + 1) == '\n')
            return i + 2;
        if (i + 2 < buffer.size() && buffer.at(i + 1) == '\r' && buffer.at(i + 2) == '\n')
            return i + 3;
    }
    return -1;
}

bool hasToken(const QByteArray &headerValue, const char *token)
{
    const QList<QByteArray> items = headerValue.split(',');
    for (const QByteArray &item : items) {
        if (item.trimmed().toLower() == token)
            return true;
    }
    return false;
}
} // namespace

DeviceRequest::Take DeviceRequest::take(QByteArray &buffer, DeviceRequest &request)
{
    int start = 0;
    while (start < buffer.size() && (buffer.at(start) == '\r' || buffer.at(start) == '\n'))
        ++start;
    if (start > 0)
        buffer.remove(0, start);

    const int end = headEnd(buffer);
    if (end < 0)
        return buffer.size() > MaxHeadBytes ? Take::TooLarge : Take::Incomplete;
    if (end > MaxHeadBytes)
        return Take::TooLarge;

    DeviceRequest parsed;
    int bodyLength = 0;
    if (!parsed.parseHead(buffer.left(end), bodyLength)) {
        request = parsed;
        return Take::Malformed;
    }
    if (bodyLength > MaxBodyBytes) {
        request = parsed;
        return Take::TooLarge;
    }
    if (buffer.size() < end + bodyLength)
        return Take::Incomplete;
    // The units take all their input from the query; a body is read and passed over.
    buffer.remove(0, end + bodyLength);
    request = parsed;
    return Take::Complete;
}

bool DeviceRequest::parseHead(const QByteArray &head, int &bodyLength)
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (!parseRequestLine(lines.value(0), *this))
        return false;

    QByteArray connection;
    bodyLength = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.isEmpty())
            continue;
        const int colon = line.indexOf(':');
        if (colon <= 0)
            return false;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "connection") {
            connection = value;
        } else if (name == "content-length") {
            bool ok = false;
            const qlonglong length = value.toLongLong(&ok);
            if (!ok || length < 0)
                return false;
            bodyLength = static_cast<int>(qMin<qlonglong>(length, std::numeric_limits<int>::max()));
        } else if (name == "transfer-encoding") {
            // A request body in chunks is nothing a parameter request carries.
            return false;
        }
    }
    m_keepAlive = m_version == "HTTP/1.0" ? hasToken(connection, "keep-alive") : !hasToken(connection, "close");
    return true;
}

bool DeviceRequest::parseRequestLine(const QByteArray &line, DeviceRequest &request)
{
    request.m_requestLine = line;
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || parts.at(0).isEmpty() || !parts.at(1).startsWith('/') ||
        !parts.at(2).startsWith("HTTP/1."))
        return false;
    request.m_method = parts.at(0);
    request.m_version = parts.at(2);

    const QByteArray &target = parts.at(1);
    const int question = target.indexOf('?');
    request.m_path = QByteArray::fromPercentEncoding(question < 0 ? target : target.left(question));
    if (question >= 0) {
        const QList<QByteArray> items = target.mid(question + 1).split('&');
        for (const QByteArray &item : items) {
            if (item.isEmpty())
                continue;
            const int equals = item.indexOf('=');
            const QByteArray name = equals < 0 ? item : item.left(equals);
            const QByteArray value = equals < 0 ? QByteArray() : item.mid(equals + 1);
            request.m_query.append({QByteArray::fromPercentEncoding(name), QByteArray::fromPercentEncoding(value)});
        }
    }
    return true;
}

QByteArray DeviceRequest::queryItem(const QByteArray &name, bool *present) const
{
    for (const auto &item : m_query) {
        if (item.first == name) {
            if (present)
                *present = true;
            return item.second;
        }
    }
    if (present)
        *present = false;
    return QByteArray();
}
