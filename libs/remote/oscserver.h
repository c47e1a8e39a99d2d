#pragma once

#include "oscbudget.h"
#include "osccodec.h"
#include "oscoptions.h"
#include "oscsubscriptions.h"
#include "remoterequest.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <functional>

class HdrController;
class QUdpSocket;

// Remote control over OSC: messages from show-control tools drive the
// controller as the window does (the gang follows, each change is a step of
// the history, the read-back's hold applies), and confirmed subscribers get
// what changes (see OscSubscriptions). The socket is read through the event
// loop, every datagram that has arrived each time it is ready (up to a
// bound, the rest at the loop's next turn), so the window never waits on it
// and a flood stays in the system's bounded buffer. What each message costs
// is paid from the budget (OscBudget); what cannot be obeyed (unknown
// addresses, wrong arguments, values out of range, malformed packets,
// bundles nested too deep, messages beyond the budget, senders not allowed,
// looks not found, queries from senders without a subscription, subscribers
// beyond the limit) is ignored, counted, and logged at most once a second.
class OscServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int FeedbackIntervalMs = 20;
    static constexpr int MostPacketsPerTurn = 1024;

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
        quint64 overBudget = 0;
        quint64 notAllowed = 0;
        quint64 lookNotFound = 0;
        quint64 notSubscribed = 0;
        quint64 subscribersFull = 0;
        quint64 ignored() const;
    };

    // One message of feedback: its address and arguments.
    struct Feedback
    {
        QByteArray address;
        QVector<OscCodec::Argument> arguments;
    };

    void readPackets();
    void handle(const QByteArray &packet, const QHostAddress &sender, quint16 senderPort);
    void obey(const RemoteRequest &request, const QHostAddress &sender, quint16 senderPort);
    void subscribe(const RemoteRequest &request, const QHostAddress &sender, quint16 senderPort);
    void answer(const RemoteRequest &query, const QHostAddress &sender);

    Feedback parameterFeedback(int slot) const;
    QList<Feedback> stateFeedback() const;
    void send(const Feedback &feedback, const QHostAddress &address, quint16 port);
    void queueFeedback(const Feedback &feedback);
    void queueState();
    void flushFeedback();
    void everySecond();

    HdrController &m_controller;
    OscOptions m_options;
    LookFinder m_findLook;
    QUdpSocket *m_socket;
    QTimer m_feedbackTimer;
    QTimer m_secondTimer;
    QElapsedTimer m_clock;
    Counters m_counters;
    quint64 m_ignoredLogged = 0;
    OscBudget m_budget;
    OscSubscriptions m_subscriptions;
    // Feedback waiting for its next slot: the latest per address.
    QMap<QByteArray, Feedback> m_pending;
};
