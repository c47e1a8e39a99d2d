#pragma once

#include "hubcodec.h"
#include "hubdisplay.h"
#include "hubmessageassembler.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class QTcpServer;
class QTcpSocket;

// A stand-in for the Tangent Hub: listens on 127.0.0.1, serves one program at
// a time, greets it on connection, answers its panel requests with a display
// refresh request, keeps the panel display it writes, and sends panel events
// on request. The program's replies to parameter, menu and mode requests are
// accepted and logged.
class HubServer : public QObject
{
    Q_OBJECT

public:
    explicit HubServer(QObject *parent = nullptr);
    ~HubServer() override;

    bool listen(quint16 port);
    quint16 port() const;
    QString errorString() const;

    // Hub protocol revision and the one panel the greeting lists.
    void setPanel(quint32 revision, quint32 panelType, quint32 panelId);
    quint32 panelId() const { return m_panelId; }

    bool hasClient() const;
    const HubDisplay &display() const { return m_display; }
    // Name from the program's latest application definition ("" before one).
    QString applicationName() const { return m_applicationName; }
    QList<quint32> requestedPanels() const { return m_requestedPanels; }

public Q_SLOTS:
    // Each returns false when no program is connected.
    bool greet();
    bool turnEncoder(quint32 encoderId, float increment);
    bool buttonDown(quint32 buttonId);
    bool buttonUp(quint32 buttonId);
    bool requestRefresh(quint32 panelId);
    bool requestParameter(quint32 parameterId);
    bool requestMenu(quint32 menuId);
    bool requestMode(quint32 modeId);
    // Closes the program's connection, as a hub that stops would.
    void dropClient();

Q_SIGNALS:
    void clientConnected();
    void clientDisconnected();
    void programAnnounced(const QString &applicationName);
    void displayChanged();
    void logMessage(const QString &text);

private:
    void acceptClient();
    void readClient();
    void clientGone();
    void handle(const ProgramCommand &command);
    bool send(const QByteArray &message);

    QTcpServer *m_server;
    QPointer<QTcpSocket> m_client;
    HubMessageAssembler m_assembler;
    HubDisplay m_display;
    QString m_applicationName;
    QList<quint32> m_requestedPanels;
    quint32 m_revision = 5;
    quint32 m_panelType = 0x0C;
    quint32 m_panelId = 1;
};
