#include "replybuilder.h"

QByteArray ReplyBuilder::reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    default: return "Unknown";
    }
}

QByteArray ReplyBuilder::build(const DeviceReply &reply, const FaultSettings &faults, bool closeAfter)
{
    QByteArray body = reply.body;
    if (faults.oversizeBytes > body.size())
        body.append(QByteArray(faults.oversizeBytes - body.size(), '#'));

    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    bytes += "Content-Type: " + reply.contentType + "\r\n";
    if (reply.status == 405)
        bytes += "Allow: GET\r\n";
    // The program's link recognises the chunked header only in exactly this spelling.
    if (faults.chunkSize > 0)
        bytes += "Transfer-encoding: chunked\r\n";
    else
        bytes += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    bytes += closeAfter ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    bytes += "\r\n";

    if (faults.chunkSize > 0) {
        for (int offset = 0; offset < body.size(); offset += faults.chunkSize) {
            const QByteArray chunk = body.mid(offset, faults.chunkSize);
            bytes += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
        }
        bytes += "0\r\n\r\n";
    } else {
        bytes += body;
        // No line end after an empty body: a reader that takes the line end
        // only after a body would see it as the end of the next reply's head.
        if (!faults.standardLineEnd && !body.isEmpty())
            bytes += "\r\n";
    }
    return bytes;
}

QByteArray ReplyBuilder::garbage(quint64 requestNumber)
{
    // A small linear congruential generator: junk that differs from request
    // to request, yet repeats from run to run.
    quint32 state = static_cast<quint32>(requestNumber) * 2654435761u + 12345u;
    QByteArray line;
    const int length = 24 + static_cast<int>(requestNumber % 40);
    for (int i = 0; i < length; ++i) {
        state = state * 1664525u + 1013904223u;
        // Printable characters from '!' on: never a blank, so never "HTTP/1.1 ".
        line += static_cast<char>('!' + (state >> 24) % 94);
    }
    return line + "\r\n";
}

QByteArray ReplyBuilder::cut(const QByteArray &reply, const FaultSettings &faults)
{
    const int bytes = faults.cutBytes > 0 ? faults.cutBytes : reply.size() / 2;
    return reply.left(bytes);
}
