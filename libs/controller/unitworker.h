#pragma once

#include "unitrequest.h"

#include <QObject>

#include <atomic>
#include <memory>

class RequestQueue;
class UnitTransport;

// Works through one unit's requests on the unit's own thread, one at a time,
// with the blocking transport, and reports each as it is done.
class UnitWorker : public QObject
{
    Q_OBJECT

public:
    UnitWorker(std::unique_ptr<UnitTransport> transport, std::shared_ptr<RequestQueue> queue);
    ~UnitWorker() override;

    // Thread-safe: the request in progress returns soon and no further one starts.
    void stop();

public Q_SLOTS:
    // Takes requests until the queue is empty.
    void drain();
    // Drops the connection; the last thing the worker does.
    void finish();

Q_SIGNALS:
    void done(const UnitRequest &request);

private:
    std::unique_ptr<UnitTransport> m_transport;
    std::shared_ptr<RequestQueue> m_queue;
    std::atomic<bool> m_stopped{false};
};
