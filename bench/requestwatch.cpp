#include "requestwatch.h"

#include "benchclock.h"
#include "devicerequest.h"
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
    DeviceRequest sent;
    if (space < 0 || !DeviceRequest::parseRequestLine(line.mid(space + 1).toLatin1(), sent))
        return request;
    request.action = sent.queryItem("action");
    request.name = sent.queryItem("paramid");
    request.value = sent.queryItem("value");
    return request;
}
