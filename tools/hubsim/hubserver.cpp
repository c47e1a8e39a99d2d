#include "hubserver.h"

#include "hubmessagebuilder.h"

#include <QTcpServer>
#include <QTcpSocket>

HubServer::HubServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HubServer::acceptClient);
}

HubServer::~HubServer()
{
    if (m_client)
        m_client->disconnect(this);
}

bool HubServer::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 HubServer::port() const
{
    return m_server->serverPort();
}

QString HubServer::errorString() const
{
    return m_server->errorString();
}

void HubServer::setPanel(quint32 revision, quint32 panelType, quint32 panelId)
{
    m_revision = revision;
    m_panelType = panelType;
    m_panelId = panelId;
}

bool HubServer::hasClient() const
{
    return m_client && m_client->state() == QAbstractSocket::ConnectedState;
}

void HubServer::acceptClient()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_client) {
            Q_EMIT logMessage(QStringLiteral("a new program replaces the connected one"));
            dropClient();
        }
        m_client = socket;
        socket->setParent(this);
        m_assembler.reset();
        m_display.clear();
        m_applicationName.clear();
        m_requestedPanels.clear();
        connect(socket, &QTcpSocket::readyRead, this, &HubServer::readClient);
        connect(socket, &QTcpSocket::disconnected, this, &HubServer::clientGone);
        Q_EMIT clientConnected();
        Q_EMIT displayChanged();
        Q_EMIT logMessage(QStringLiteral("program connected"));
        greet();
    }
}

void HubServer::clientGone()
{
    QTcpSocket *socket = qobject_cast<QTcpSocket *>(sender());
    if (!socket || socket != m_client)
        return;
    m_client = nullptr;
    socket->deleteLater();
    Q_EMIT logMessage(QStringLiteral("program disconnected"));
    Q_EMIT clientDisconnected();
}

void HubServer::dropClient()
{
    QTcpSocket *socket = m_client;
    if (!socket)
        return;
    m_client = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    Q_EMIT logMessage(QStringLiteral("connection dropped"));
    Q_EMIT clientDisconnected();
}

void HubServer::readClient()
{
    if (!m_client)
        return;
    m_assembler.append(m_client->readAll());
    for (;;) {
        switch (m_assembler.next()) {
        case HubMessageAssembler::Result::NeedMore:
            return;
        case HubMessageAssembler::Result::Oversize:
            Q_EMIT logMessage(QStringLiteral("message of %1 bytes dropped").arg(m_assembler.bodyLength()));
            continue;
        case HubMessageAssembler::Result::Corrupt:
            Q_EMIT logMessage(QStringLiteral("length %1 is out of step; dropping the program").arg(m_assembler.bodyLength()));
            dropClient();
            return;
        case HubMessageAssembler::Result::Message: {
            const HubCodec::Decoded decoded = HubCodec::decode(m_assembler.body(), m_assembler.bodyLength());
            for (const ProgramCommand &command : decoded.commands)
                handle(command);
            if (!decoded.complete)
                Q_EMIT logMessage(QStringLiteral("unknown or cut-off command 0x%1; rest of the message dropped")
                                      .arg(decoded.failedId, 0, 16));
            if (!m_client)
                return;
            break;
        }
        }
    }
}

void HubServer::handle(const ProgramCommand &command)
{
    Q_EMIT logMessage(HubCodec::describe(command));
    switch (command.id) {
    case HubMessageBuilder::AppDefinition:
        m_applicationName = QString::fromUtf8(command.text);
        Q_EMIT programAnnounced(m_applicationName);
        break;
    case HubMessageBuilder::PanelRequest:
        m_requestedPanels.append(command.itemId);
        // The panel is now the program's: ask it to fill the display.
        requestRefresh(command.itemId);
        break;
    case HubMessageBuilder::DisplayWrite:
        if (command.display == 0 && m_display.write(command.line, command.x, command.text))
            Q_EMIT displayChanged();
        break;
    default:
        break;
    }
}

bool HubServer::send(const QByteArray &message)
{
    if (!hasClient())
        return false;
    return m_client->write(message) == message.size();
}

bool HubServer::greet()
{
    return send(HubCodec::greeting(m_revision, {{m_panelType, m_panelId}}));
}

bool HubServer::turnEncoder(quint32 encoderId, float increment)
{
    return send(HubCodec::encoder(m_panelId, encoderId, increment));
}

bool HubServer::buttonDown(quint32 buttonId)
{
    return send(HubCodec::buttonDown(m_panelId, buttonId));
}

bool HubServer::buttonUp(quint32 buttonId)
{
    return send(HubCodec::buttonUp(m_panelId, buttonId));
}

bool HubServer::requestRefresh(quint32 panelId)
{
    return send(HubCodec::displayRefresh(panelId));
}

bool HubServer::requestParameter(quint32 parameterId)
{
    return send(HubCodec::parameterRequest(parameterId));
}

bool HubServer::requestMenu(quint32 menuId)
{
    return send(HubCodec::menuRequest(menuId));
}

bool HubServer::requestMode(quint32 modeId)
{
    return send(HubCodec::modeRequest(modeId));
}
