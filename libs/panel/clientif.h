#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

// A TCP client that never blocks its thread: connecting, reading and writing
// all go through the event loop. When a connection attempt fails or an open
// connection is lost, it tries again every retryInterval() milliseconds until
// the server answers, so a server that starts late or restarts is found again
// without anyone asking.
//
// Status texts: "" while connecting or connected, "Connection refused",
// "Disconnected" (the server closed the connection), "Host not found", or
// "Error occurred: <reason>".
class ClientIF : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultRetryIntervalMs = 2000;
    // A connection attempt that has not succeeded by then is given up and retried.
    static constexpr int ConnectTimeoutMs = 3000;
    // Bytes written that the server has not taken yet are held up to this
    // count; a server that leaves more unread has stopped reading.
    static constexpr qint64 MaxQueuedBytes = 1 << 20;

    ClientIF(const QString &host, int port);
    ~ClientIF() override;

    // Starts a connection attempt (dropping any current connection) and returns at once.
    virtual void openConnection();
    // Writes to the connection; without one, starts connecting and returns -1.
    // Returns -1 without writing, too, when the bytes would take what waits
    // for the server past MaxQueuedBytes; the caller then drops the connection.
    virtual qint64 writeRaw(const char *data, qint64 length);
    virtual void setStatusMsg(const QString &message);

    QString statusMsg() const { return m_statusMsg; }
    bool isConnected() const { return m_connected; }
    // Bytes written that the server has not taken yet.
    qint64 queuedBytes() const;
    QString host() const { return m_host; }
    int port() const { return m_port; }
    int retryInterval() const;
    void setRetryInterval(int milliseconds);

Q_SIGNALS:
    void newStatusMsg();
    // A socket error was reported; a new attempt follows after the retry interval.
    void disconnected();
    void connectionEstablished();

public Q_SLOTS:
    // Receives each line read by readMsg(); accepts every line.
    virtual bool processLine(QString &line);
    // Reads whole lines, trimmed, and hands them to processLine().
    virtual void readMsg();
    virtual void displayError(QAbstractSocket::SocketError socketError);

protected:
    QTcpSocket *socket() const { return m_socket; }

private:
    void socketConnected();
    void connectTimedOut();
    void retry();

    QTcpSocket *m_socket;
    QTimer *m_retryTimer;
    QTimer *m_connectTimer;
    QString m_statusMsg;
    QString m_host;
    int m_port;
    bool m_connected = false;
};
