#pragma once

#include "faultsettings.h"
#include "parameterstore.h"
#include "serviceentry.h"
#include "unitconfig.h"

#include <QAbstractSocket>
#include <QHash>
#include <QObject>
#include <QVector>

class QTcpServer;
class QTcpSocket;

// One simulated unit: listens on its own address, answers the parameter
// interface on kept-alive connections, and shows the faults it is told to.
// Lives on one thread; the rig calls it only there.
class SimulatedUnit : public QObject
{
    Q_OBJECT

public:
    SimulatedUnit(const UnitConfig &config, const QVector<ServiceEntry> &services, QObject *parent = nullptr);
    ~SimulatedUnit() override;

    // Starts listening. On failure the problem tells why, and error says it in words.
    bool switchOn(quint16 port, QAbstractSocket::SocketError *problem, QString *error);
    // Stops listening and drops every connection, as a unit that is switched
    // off. The parameters keep their values for the next switch-on.
    void switchOff();
    bool isOn() const { return m_server != nullptr; }
    quint16 port() const;

    const UnitConfig &config() const { return m_config; }
    const FaultSettings &faults() const { return m_faults; }
    void setFaults(const FaultSettings &faults) { m_faults = faults; }
    ParameterStore &store() { return m_store; }

signals:
    // One request line as it arrived, after the unit's address and a blank.
    void requestLogged(const QString &line);

private:
    struct Connection
    {
        QByteArray received;
        bool waiting = false; // a delayed reply is still to be sent
        bool closing = false;
    };

    void acceptConnections();
    void serve(QTcpSocket *socket);
    // Writes a reply; after one that closes, the socket may be gone.
    void send(QTcpSocket *socket, const QByteArray &bytes, bool closeAfter);
    void log(const QByteArray &requestLine);

    UnitConfig m_config;
    QVector<ServiceEntry> m_services;
    ParameterStore m_store;
    FaultSettings m_faults;
    QTcpServer *m_server = nullptr;
    QHash<QTcpSocket *, Connection> m_connections;
    quint64 m_requestCount = 0;
};
