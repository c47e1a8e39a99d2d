#pragma once

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>

#include <vector>

class SimulatorRig;

// Every request the simulated units receive, taken apart and stamped with
// the benchmark's clock on the units' own thread as it arrives, so that a
// measure can end at the moment the last unit got what it waits for.
class RequestWatch : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QString address;
        QByteArray action; // "get" or "set"
        QByteArray name;
        QByteArray value; // a set's value
        qint64 atNs = 0;
    };

    // Watches the rig from now on; the rig must stop before the watch ends.
    explicit RequestWatch(SimulatorRig &rig, QObject *parent = nullptr);

    // The requests that arrived since the last call, in order.
    std::vector<Request> takeArrived();

    // "<address> GET /config?action=set&paramid=NAME&value=VALUE HTTP/1.1"
    static Request parse(const QString &line, qint64 atNs);

    static bool isSet(const Request &request) { return request.action == "set"; }

private:
    mutable QMutex m_mutex;
    std::vector<Request> m_arrived;
};
