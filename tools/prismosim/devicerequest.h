#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// One HTTP request as a unit receives it: the request line, the headers the
// unit looks at, and the query of the target split into its items.
class DeviceRequest
{
public:
    enum class Take { Complete, Incomplete, Malformed, TooLarge };

    static constexpr int MaxHeadBytes = 8192;
    static constexpr int MaxBodyBytes = 65536;

    // Takes the first complete request (its head and any counted body) off
    // the front of the bytes received so far. Empty lines before a request
    // line are passed over, as robust servers do. After Malformed or
    // TooLarge the connection cannot be read further.
    static Take take(QByteArray &buffer, DeviceRequest &request);
    // Reads a request line alone, as the units log it: the method, path,
    // version and query of "GET /config?action=get&paramid=NAME HTTP/1.1".
    // False when it is no request line.
    static bool parseRequestLine(const QByteArray &line, DeviceRequest &request);

    const QByteArray &requestLine() const { return m_requestLine; }
    const QByteArray &method() const { return m_method; }
    const QByteArray &path() const { return m_path; }
    const QByteArray &version() const { return m_version; }
    // The percent-decoded value of the first query item of that name.
    QByteArray queryItem(const QByteArray &name, bool *present = nullptr) const;
    // Whether the client wants the connection kept open after the reply.
    bool keepAlive() const { return m_keepAlive; }

private:
    bool parseHead(const QByteArray &head, int &bodyLength);

    QByteArray m_requestLine;
    QByteArray m_method;
    QByteArray m_path;
    QByteArray m_version;
    QList<QPair<QByteArray, QByteArray>> m_query;
    bool m_keepAlive = true;
};
