#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>

#include <optional>

// Who receives OSC feedback. A sender's address may be forged, so feedback
// goes only to a subscriber that has shown it receives there: asked to
// subscribe a port, the program answers on that port with a cookie, and
// only the cookie sent back from the same address confirms the
// subscription. The cookie is a keyed hash of the address and the port, so
// nothing is kept for a request that is never confirmed. A subscription is
// renewed by sending the cookie again and ends when it is not renewed for
// LifetimeMs.
class OscSubscriptions
{
public:
    static constexpr int MostSubscribers = 16;
    static constexpr int MostPerAddress = 4;
    static constexpr int LifetimeMs = 10000;

    struct Subscriber
    {
        QHostAddress address;
        quint16 port;
        qint64 renewedMs;
    };

    enum class Outcome {
        Challenge, // no cookie, or a wrong one: the cookie is to be sent to the port
        Confirmed, // a new subscriber: it is to get every current value
        Renewed,
        Full,      // too many subscribers, in all or at the address
        Ended,
        Unknown,   // no such subscription, or a wrong cookie to end one
    };

    // The key makes the cookies of this program its own.
    explicit OscSubscriptions(const QByteArray &key);

    quint32 cookie(const QHostAddress &address, quint16 port) const;
    Outcome subscribe(const QHostAddress &address, quint16 port, std::optional<quint32> cookie, qint64 nowMs);
    Outcome unsubscribe(const QHostAddress &address, quint16 port, quint32 cookie);
    // Ends the subscriptions not renewed in time.
    void expire(qint64 nowMs);

    const QList<Subscriber> &subscribers() const { return m_subscribers; }
    // The subscriptions of one address.
    QList<Subscriber> at(const QHostAddress &address) const;

private:
    QByteArray m_key;
    QList<Subscriber> m_subscribers;
};
