#include "requestwatch.h"

#include "benchclock.h"
#include "simulatorrig.h"

#include <QMutexLocker>

RequestWatch::RequestWatch(SimulatorRig &rig, QObject *parent) : QObject(parent)
{
    connect(
        &rig, &SimulatorRig::requestLogged, this,
        [this](const QString &line) {
            Request request = parse(line, BenchClock::nowNs());
            QMutexLocker lock(&m_mutex);
            m_arrived.push_back(std::move(request));
        },
        Qt::DirectConnection);
}

std::vector<RequestWatch::Request> RequestWatch::takeArrived()
{
    QMutexLocker lock(&m_mutex);
    std::vector<Request> taken;
    taken.swap(m_arrived);
    return taken;
}

RequestWatch::Request RequestWatch::parse(const QString &line, qint64 atNs)
{
    Request request;
    request.atNs = atNs;
    const int space = line.indexOf(QLatin1Char(' '));
    request.address = line.left(space);
    const QByteArray requestLine = line.mid(space + 1).toLatin1();
    const int query = requestLine.indexOf('?');
    if (space < 0 || query < 0)
        return request;
    const int end = requestLine.indexOf(' ', query);
    for (const QByteArray &item : requestLine.mid(query + 1, end < 0 ? -1 : end - query - 1).split('&')) {
        const int equals = item.indexOf('=');
        const QByteArray key = item.left(equals);
        const QByteArray value = equals < 0 ? QByteArray() : item.mid(equals + 1);
        if (key == "action")
            request.action = value;
        else if (key == "paramid")
            request.name = value;
        else if (key == "value")
            request.value = value;
    }
    return request;
}
