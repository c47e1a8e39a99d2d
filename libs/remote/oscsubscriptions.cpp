#include "oscsubscriptions.h"

#include "oscrouter.h"

#include <QMessageAuthenticationCode>
#include <QtEndian>

#include <algorithm>

OscSubscriptions::OscSubscriptions(const QByteArray &key)
    : m_key(key)
{
}

quint32 OscSubscriptions::cookie(const QHostAddress &address, quint16 port) const
{
    const QByteArray text = address.toString().toLatin1() + ' ' + QByteArray::number(port);
    const QByteArray mac = QMessageAuthenticationCode::hash(text, m_key, QCryptographicHash::Sha256);
    return qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(mac.constData())) & quint32(OscRouter::LargestCookie);
}

OscSubscriptions::Outcome OscSubscriptions::subscribe(const QHostAddress &address, quint16 port,
                                                      std::optional<quint32> cookie, qint64 nowMs)
{
    if (!cookie || *cookie != this->cookie(address, port))
        return Outcome::Challenge;
    for (Subscriber &subscriber : m_subscribers) {
        if (subscriber.address.isEqual(address) && subscriber.port == port) {
            subscriber.renewedMs = nowMs;
            return Outcome::Renewed;
        }
    }
    if (m_subscribers.size() >= MostSubscribers || at(address).size() >= MostPerAddress)
        return Outcome::Full;
    m_subscribers.append({address, port, nowMs});
    return Outcome::Confirmed;
}

OscSubscriptions::Outcome OscSubscriptions::unsubscribe(const QHostAddress &address, quint16 port, quint32 cookie)
{
    if (cookie != this->cookie(address, port))
        return Outcome::Unknown;
    const auto before = m_subscribers.size();
    m_subscribers.erase(std::remove_if(m_subscribers.begin(), m_subscribers.end(),
                                       [&](const Subscriber &s) { return s.address.isEqual(address) && s.port == port; }),
                        m_subscribers.end());
    return m_subscribers.size() < before ? Outcome::Ended : Outcome::Unknown;
}

void OscSubscriptions::expire(qint64 nowMs)
{
    m_subscribers.erase(std::remove_if(m_subscribers.begin(), m_subscribers.end(),
                                       [nowMs](const Subscriber &s) { return nowMs - s.renewedMs > LifetimeMs; }),
                        m_subscribers.end());
}

QList<OscSubscriptions::Subscriber> OscSubscriptions::at(const QHostAddress &address) const
{
    QList<Subscriber> found;
    for (const Subscriber &subscriber : m_subscribers) {
        if (subscriber.address.isEqual(address))
            found << subscriber;
    }
    return found;
}
