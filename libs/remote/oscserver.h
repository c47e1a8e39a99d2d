#pragma once

#include "oscoptions.h"
#include "remoterequest.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTimer>
#include <QVariant>

#include <functional>

class HdrController;
class QUdpSocket;

// Remote control over OSC: messages from show-control tools drive the
// controller as the window does (the gang follows, each change is a step of
// the history, the read-back's hold applies), and subscribers get what
// changes. The socket is read through the event loop, a bounded number of
// packets at a time, so the window never waits on it. What cannot be obeyed
// (unknown addresses, wrong arguments, values out of range, malformed
// packets, bundles nested too deep, packets beyond the allowed rate, senders
// not allowed) is ignored, counted, and logged at most once a second.
class OscServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int MostPacketsPerSecond = 500;
    static constexpr int FeedbackIntervalMs = 20;
    static constexpr int SubscriptionMs = 60000;

    // Finds a look file by the name a message gives; empty when there is none.
    using LookFinder = std::function<QString(const QString &name)>;

    OscServer(HdrController &controller, const OscOptions &options, LookFinder findLook, QObject *parent = nullptr);
    ~OscServer() override;

    bool start(QString *error);
    quint16 port() const;

private:
    struct Counters
    {
        quint64 unknownAddress = 0;
        quint64 badArguments = 0;
        quint64 outOfRange = 0;
        quint64 malformed = 0;
        quint64 tooDeep = 0;
        quint64 flood = 0;
        quint64 notAllowed = 0;
        quint64 lookNotFound = 0;
        quint64 ignored() const;
    };

    struct Subscriber
    {
        QHostAddress address;
        quint16 port;
        qint64 lastHeardMs;
    };

    void readPackets();
    void handle(const QByteArray &packet, const QHostAddress &sender);
    void obey(const RemoteRequest &request, const QHostAddress &sender);
    void queueFeedback(const QByteArray &address, const QByteArray &types, const QVariantList &values);
    void flushFeedback();
    void sendState();
    void logIgnored();

    HdrController &m_controller;
    OscOptions m_options;
    LookFinder m_findLook;
    QUdpSocket *m_socket;
    QTimer m_feedbackTimer;
    QTimer m_logTimer;
    QElapsedTimer m_clock;
    Counters m_counters;
    quint64 m_ignoredLogged = 0;
    qint64 m_windowStartMs = 0;
    int m_packetsInWindow = 0;
    QList<Subscriber> m_subscribers;
    // Feedback waiting for its next slot: the latest per address.
    QMap<QByteArray, QPair<QByteArray, QVariantList>> m_pending;
};
