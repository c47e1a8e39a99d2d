#include "unitwriter.h"

UnitWriter::UnitWriter(UnitLink *link, const QString &hostName, QObject *parent)
    : QObject(parent), m_link(link), m_hostName(hostName)
{
    connect(m_link, &UnitLink::stateChanged, this, &UnitWriter::stateChanged);
}

QString UnitWriter::stateText() const
{
    const bool answering = m_link->state() == UnitLink::State::Answering || m_link->state() == UnitLink::State::Slow;
    if (answering && hasMissed())
        return QStringLiteral("catching up");
    return UnitLink::stateText(m_link->state());
}

QString UnitWriter::troubleText() const
{
    const QString state = stateText();
    return state == QLatin1String("answering") ? QString() : state;
}

void UnitWriter::write(const QByteArray &name, const QByteArray &value)
{
    m_latest.insert(name, value);
    send(name);
}

// Every write of a parameter carries its latest value, so a write merged
// with another waiting one, or sent again, never takes an older value.
void UnitWriter::send(const QByteArray &name)
{
    m_link->write(name, m_latest.value(name), this, [this](const UnitRequest &request) { written(request); });
}

void UnitWriter::written(const UnitRequest &request)
{
    const bool hadMissed = hasMissed();
    if (!request.answered)
        m_missed.insert(request.name);
    else if (request.value == m_latest.value(request.name))
        m_missed.remove(request.name);
    if (m_catchingUp.remove(request.name)) {
        m_catchUpFailed = m_catchUpFailed || !request.answered;
        if (m_catchingUp.isEmpty())
            endCatchUp(!m_catchUpFailed && !hasMissed());
    } else if (m_catchingUp.isEmpty() && request.answered && hasMissed()) {
        catchUp();
    }
    if (hadMissed != hasMissed())
        Q_EMIT stateChanged();
}

void UnitWriter::catchUp(const std::function<void(bool)> &done)
{
    if (done)
        m_catchUpDone.push_back(done);
    if (!m_catchingUp.isEmpty())
        return; // the catch-up under way reports to it
    if (!hasMissed()) {
        endCatchUp(true);
        return;
    }
    m_catchUpFailed = false;
    m_catchingUp = m_missed;
    for (const QByteArray &name : qAsConst(m_missed))
        send(name);
}

void UnitWriter::endCatchUp(bool done)
{
    const std::vector<std::function<void(bool)>> callbacks = std::move(m_catchUpDone);
    m_catchUpDone.clear();
    for (const auto &callback : callbacks)
        callback(done);
}
