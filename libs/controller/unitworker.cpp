#include "unitworker.h"

#include "requestqueue.h"
#include "unittransport.h"

#include <QElapsedTimer>
#include <QThread>

UnitWorker::UnitWorker(std::unique_ptr<UnitTransport> transport, std::shared_ptr<RequestQueue> queue)
    : m_transport(std::move(transport)), m_queue(std::move(queue))
{
}

UnitWorker::~UnitWorker() = default;

void UnitWorker::stop()
{
    m_stopped = true;
    m_transport->interrupt();
}

void UnitWorker::drain()
{
    while (!m_stopped) {
        std::optional<UnitRequest> next = m_queue->take();
        if (!next)
            break;
        UnitRequest &request = *next;
        QElapsedTimer clock;
        clock.start();
        const UnitTransport::Result result = request.kind == UnitRequest::Kind::Read
                                                 ? m_transport->get(request.name, request.format, request.bodyLimit)
                                                 : m_transport->set(request.name, request.value);
        request.elapsedMs = int(clock.elapsed());
        request.ok = result.ok;
        request.answered = result.answered;
        if (request.kind == UnitRequest::Kind::Read)
            request.value = result.ok ? result.body : QByteArray();
        Q_EMIT done(request);
    }
}

void UnitWorker::finish()
{
    m_transport->close();
    thread()->quit();
}
