#include "httptransport.h"

#include "linklog.h"
#include "logcategories.h"

void HttpTransport::sendDiagnosticsToLog()
{
    LinkLog::setSink([](LinkLog::Stream stream, const std::string &line) {
        const QString text = QString::fromStdString(line).trimmed();
        if (stream == LinkLog::Stream::Error)
            qCWarning(lcDeviceLink).noquote() << text;
        else
            qCInfo(lcDeviceLink).noquote() << text;
    });
}

HttpTransport::HttpTransport(const QString &address, int port) : m_link(address.toStdString(), port, "config") {}

UnitTransport::Result HttpTransport::get(const QByteArray &name, const QByteArray &format, int bodyLimit)
{
    Result result;
    std::string value;
    result.ok = m_link.GetParam(name.toStdString(), value, format.toStdString(), std::size_t(bodyLimit));
    result.answered = m_link.answered();
    if (result.ok)
        result.body = QByteArray::fromStdString(value);
    return result;
}

UnitTransport::Result HttpTransport::set(const QByteArray &name, const QByteArray &value)
{
    Result result;
    result.ok = m_link.ChangeParam(name.toStdString(), value.toStdString());
    result.answered = m_link.answered();
    return result;
}

void HttpTransport::close()
{
    m_link.closeConnection();
}

void HttpTransport::interrupt()
{
    m_link.interrupt();
}

UnitLinks::TransportFactory HttpTransport::factory(int port)
{
    return [port](const QString &address) { return std::make_unique<HttpTransport>(address, port); };
}
