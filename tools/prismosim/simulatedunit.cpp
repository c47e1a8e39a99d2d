#include "simulatedunit.h"

#include "parameterservice.h"
#include "replybuilder.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr int LongestLoggedLine = 300;
}

SimulatedUnit::SimulatedUnit(const UnitConfig &config, const QVector<ServiceEntry> &services, QObject *parent)
    : QObject(parent), m_config(config), m_services(services), m_store(config), m_faults(config.faults)
{
}

SimulatedUnit::~SimulatedUnit()
{
    switchOff();
}

bool SimulatedUnit::switchOn(quint16 port, QAbstractSocket::SocketError *problem, QString *error)
{
    if (m_server)
        return true;
    auto *server = new QTcpServer(this);
    if (!server->listen(QHostAddress(m_config.address), port)) {
        *problem = server->serverError();
        *error = server->errorString();
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QTcpServer::newConnection, this, &SimulatedUnit::acceptConnections);
    return true;
}

void SimulatedUnit::switchOff()
{
    delete m_server;
    m_server = nullptr;
    const QList<QTcpSocket *> sockets = m_connections.keys();
    m_connections.clear();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

quint16 SimulatedUnit::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

void SimulatedUnit::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_connections.insert(socket, Connection());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const auto it = m_connections.find(socket);
            if (it == m_connections.end() || it->closing) {
                socket->readAll();
                return;
            }
            it->received += socket->readAll();
            serve(socket);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_connections.remove(socket);
            socket->deleteLater();
        });
    }
}

void SimulatedUnit::serve(QTcpSocket *socket)
{
    for (;;) {
        const auto it = m_connections.find(socket);
        if (it == m_connections.end() || it->waiting || it->closing)
            return;

        DeviceRequest request;
        const DeviceRequest::Take taken = DeviceRequest::take(it->received, request);
        if (taken == DeviceRequest::Take::Incomplete)
            return;
        log(request.requestLine().isEmpty() ? it->received.left(LongestLoggedLine) : request.requestLine());
        if (taken != DeviceRequest::Take::Complete) {
            it->received.clear();
            if (!m_faults.stall)
                send(socket, ReplyBuilder::build(ParameterService::refusal(taken), m_faults, true), true);
            return;
        }
        // A stalled unit takes requests in and never answers them.
        if (m_faults.stall)
            continue;
        ++m_requestCount;
        if (m_faults.dropEvery > 0 && m_requestCount % static_cast<quint64>(m_faults.dropEvery) == 0) {
            // Replies already written still go out; this request gets none.
            it->closing = true;
            socket->disconnectFromHost();
            return;
        }

        // Junk instead of a reply; the request changes nothing and the connection stays.
        if (m_faults.garbage) {
            send(socket, ReplyBuilder::garbage(m_requestCount), false);
            continue;
        }

        const DeviceReply reply = ParameterService::answer(request, m_store, m_faults.failingParameters, m_services);
        // A cut reply is served in full at the unit and dropped on the way.
        const bool closeAfter = !request.keepAlive() || m_faults.closeEveryReply || m_faults.cut;
        const QByteArray whole = ReplyBuilder::build(reply, m_faults, closeAfter);
        const QByteArray bytes = m_faults.cut ? ReplyBuilder::cut(whole, m_faults) : whole;
        if (m_faults.delayMs > 0) {
            it->waiting = true;
            QTimer::singleShot(m_faults.delayMs, socket, [this, socket, bytes, closeAfter] {
                const auto waiting = m_connections.find(socket);
                if (waiting == m_connections.end())
                    return;
                waiting->waiting = false;
                send(socket, bytes, closeAfter);
                if (!closeAfter)
                    serve(socket);
            });
            return;
        }
        send(socket, bytes, closeAfter);
        if (closeAfter)
            return;
    }
}

void SimulatedUnit::send(QTcpSocket *socket, const QByteArray &bytes, bool closeAfter)
{
    socket->write(bytes);
    if (closeAfter) {
        m_connections[socket].closing = true;
        socket->disconnectFromHost();
    }
}

void SimulatedUnit::log(const QByteArray &requestLine)
{
    QByteArray line = requestLine.left(LongestLoggedLine);
    // Whatever a client sends, the log stays one line per request.
    for (char &c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    emit requestLogged(m_config.address + QLatin1Char(' ') + QString::fromLatin1(line));
}
