#include "unitlink.h"

#include "requestqueue.h"
#include "unittransport.h"
#include "unitworker.h"

#include <QThread>

UnitLink::UnitLink(const QString &address, std::unique_ptr<UnitTransport> transport, QObject *parent)
    : QObject(parent), m_address(address), m_queue(std::make_shared<RequestQueue>()),
      m_thread(std::make_unique<QThread>())
{
    qRegisterMetaType<UnitRequest>();
    qRegisterMetaType<UnitLink::State>();
    m_thread->setObjectName(QStringLiteral("unit ") + address);
    m_worker = new UnitWorker(std::move(transport), m_queue);
    m_worker->moveToThread(m_thread.get());
    connect(m_worker, &UnitWorker::done, this, &UnitLink::completed);
    connect(m_thread.get(), &QThread::finished, this, &UnitLink::finished);
    m_thread->start();
}

UnitLink::~UnitLink()
{
    stop();
    m_thread->wait();
    delete m_worker;
}

void UnitLink::read(const QByteArray &name, QObject *context, Done done, const QByteArray &format, int bodyLimit)
{
    UnitRequest request;
    request.kind = UnitRequest::Kind::Read;
    request.name = name;
    request.format = format;
    request.bodyLimit = bodyLimit;
    send(std::move(request), context, std::move(done));
}

void UnitLink::write(const QByteArray &name, const QByteArray &value, QObject *context, Done done)
{
    UnitRequest request;
    request.kind = UnitRequest::Kind::Write;
    request.name = name;
    request.value = value;
    send(std::move(request), context, std::move(done));
}

void UnitLink::send(UnitRequest request, QObject *context, Done done)
{
    if (m_life != Life::Open)
        return;
    request.id = m_nextId++;
    m_waiting.insert(request.id, Waiting{context, context != nullptr, std::move(done)});
    const RequestQueue::Added added = m_queue->add(request);
    if (added.replaced)
        m_waiting.remove(added.replaced);
    if (added.wakeWorker)
        QMetaObject::invokeMethod(m_worker, &UnitWorker::drain, Qt::QueuedConnection);
}

void UnitLink::dropReads(QObject *context)
{
    const auto ofContext = [this, context](quint64 id) {
        const auto it = m_waiting.constFind(id);
        return it != m_waiting.constEnd() && it->hasContext && it->context == context;
    };
    for (quint64 id : m_queue->dropReads(ofContext))
        m_waiting.remove(id);
}

void UnitLink::close()
{
    if (m_life != Life::Open)
        return;
    m_life = Life::Closing;
    for (quint64 id : m_queue->dropReads())
        m_waiting.remove(id);
    // Runs once the writes in the queue are done; it ends the thread.
    QMetaObject::invokeMethod(m_worker, &UnitWorker::finish, Qt::QueuedConnection);
}

void UnitLink::stop()
{
    if (m_life == Life::Stopped)
        return;
    const bool finishing = m_life == Life::Closing;
    m_life = Life::Stopped;
    m_queue->dropReads();
    m_worker->stop();
    // Runs once the request in progress has returned; it ends the thread.
    if (!finishing)
        QMetaObject::invokeMethod(m_worker, &UnitWorker::finish, Qt::QueuedConnection);
}

void UnitLink::completed(const UnitRequest &request)
{
    if (m_life == Life::Stopped)
        return;
    if (m_life == Life::Closing) {
        m_waiting.remove(request.id);
        return;
    }
    {
        State state = State::NotAnswering;
        if (request.answered)
            state = request.elapsedMs > SlowReplyMs ? State::Slow : State::Answering;
        if (state != m_state) {
            m_state = state;
            Q_EMIT stateChanged(state);
        }
    }
    const auto it = m_waiting.find(request.id);
    if (it == m_waiting.end())
        return;
    const Waiting waiting = it.value();
    m_waiting.erase(it);
    if (waiting.done && (!waiting.hasContext || waiting.context))
        waiting.done(request);
}

QString UnitLink::stateText(State state)
{
    switch (state) {
    case State::Answering:
        return QStringLiteral("answering");
    case State::Slow:
        return QStringLiteral("slow");
    case State::NotAnswering:
        return QStringLiteral("not answering");
    case State::Unknown:
        break;
    }
    return QString();
}
