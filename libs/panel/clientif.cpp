#include "clientif.h"
#include "logcategories.h"

#include <QDebug>
#include <QTcpSocket>
#include <QTimer>

ClientIF::ClientIF(const QString &host, int port)
    : m_socket(new QTcpSocket(this)), m_retryTimer(new QTimer(this)), m_connectTimer(new QTimer(this)), m_host(host),
      m_port(port)
{
    m_retryTimer->setSingleShot(true);
    m_retryTimer->setInterval(DefaultRetryIntervalMs);
    m_connectTimer->setSingleShot(true);
    m_connectTimer->setInterval(ConnectTimeoutMs);
    connect(m_retryTimer, &QTimer::timeout, this, &ClientIF::retry);
    connect(m_connectTimer, &QTimer::timeout, this, &ClientIF::connectTimedOut);
    connect(m_socket, &QTcpSocket::connected, this, &ClientIF::socketConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &ClientIF::readMsg);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &ClientIF::displayError);
}

ClientIF::~ClientIF()
{
    // No error signals into a half-destroyed object.
    m_socket->disconnect(this);
    m_socket->abort();
}

int ClientIF::retryInterval() const
{
    return m_retryTimer->interval();
}

void ClientIF::setRetryInterval(int milliseconds)
{
    m_retryTimer->setInterval(milliseconds);
}

void ClientIF::openConnection()
{
    setStatusMsg(QString());
    m_retryTimer->stop();
    m_connected = false;
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    m_connectTimer->start();
    m_socket->connectToHost(m_host, quint16(m_port), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

qint64 ClientIF::writeRaw(const char *data, qint64 length)
{
    if (!m_connected) {
        if (m_socket->state() == QAbstractSocket::UnconnectedState && !m_retryTimer->isActive())
            openConnection();
        return -1;
    }
    if (m_socket->bytesToWrite() + length > MaxQueuedBytes) {
        qCDebug(lcPanel) << "ClientIF: the server has left" << m_socket->bytesToWrite() << "bytes unread; not written";
        return -1;
    }
    const qint64 written = m_socket->write(data, length);
    // Hand the bytes to the system now: the caller may keep the event loop busy for a while.
    m_socket->flush();
    return written;
}

qint64 ClientIF::queuedBytes() const
{
    return m_socket->bytesToWrite();
}

void ClientIF::setStatusMsg(const QString &message)
{
    m_statusMsg = message;
    Q_EMIT newStatusMsg();
}

bool ClientIF::processLine(QString &line)
{
    Q_UNUSED(line);
    return true;
}

void ClientIF::readMsg()
{
    while (m_socket->canReadLine()) {
        QString line = QString::fromUtf8(m_socket->readLine()).trimmed();
        qCDebug(lcPanel) << "Read line:" << line;
        processLine(line);
    }
}

void ClientIF::displayError(QAbstractSocket::SocketError socketError)
{
    m_connected = false;
    m_connectTimer->stop();
    switch (socketError) {
    case QAbstractSocket::ConnectionRefusedError:
        setStatusMsg(QStringLiteral("Connection refused"));
        break;
    case QAbstractSocket::RemoteHostClosedError:
        setStatusMsg(QStringLiteral("Disconnected"));
        break;
    case QAbstractSocket::HostNotFoundError:
        setStatusMsg(QStringLiteral("Host not found"));
        break;
    case QAbstractSocket::SocketTimeoutError:
        setStatusMsg(QStringLiteral("Error occurred: Connection timed out"));
        break;
    default:
        setStatusMsg(QStringLiteral("Error occurred: %1").arg(m_socket->errorString()));
        break;
    }
    // Reconnecting from inside the socket's own error signal is not safe; the timer does it.
    m_retryTimer->start();
    Q_EMIT disconnected();
}

void ClientIF::socketConnected()
{
    // Display writes are small and come one detent after another: none may wait
    // for the hub's acknowledgement of the one before.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_connectTimer->stop();
    m_connected = true;
    Q_EMIT connectionEstablished();
}

void ClientIF::connectTimedOut()
{
    if (m_connected)
        return;
    m_socket->abort();
    displayError(QAbstractSocket::SocketTimeoutError);
}

void ClientIF::retry()
{
    if (!m_connected)
        openConnection();
}
