#pragma once

#include "unitrequest.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QThread;
class RequestQueue;
class UnitTransport;
class UnitWorker;

// The window thread's handle on one unit. Requests go to the unit's worker,
// which runs on a thread of its own; each request's outcome comes back on the
// window's thread, to the function given with it, while the window goes on.
//
// Requests to the unit keep their order (writes ahead of waiting reads); a
// write replaces a waiting write of the same parameter (see RequestQueue).
// A function whose context object is gone is not called.
class UnitLink : public QObject
{
    Q_OBJECT

public:
    enum class State { Unknown, Answering, Slow, NotAnswering };
    using Done = std::function<void(const UnitRequest &)>;

    // A reply slower than this marks the unit as slow.
    static constexpr int SlowReplyMs = 250;

    UnitLink(const QString &address, std::unique_ptr<UnitTransport> transport, QObject *parent = nullptr);
    // Waits for the worker's thread; UnitLinks ends links without waiting.
    ~UnitLink() override;

    const QString &address() const { return m_address; }
    State state() const { return m_state; }
    // Requests not yet done (none once stopped).
    int waiting() const { return m_life == Life::Stopped ? 0 : m_waiting.size(); }

    void read(const QByteArray &name, QObject *context, Done done, const QByteArray &format = "text-plain",
              int bodyLimit = UnitRequest::DefaultBodyLimit);
    void write(const QByteArray &name, const QByteArray &value, QObject *context = nullptr, Done done = {});
    // Drops the reads given with this context that have not started; their
    // functions are not called.
    void dropReads(QObject *context);

    // The unit is left: its waiting reads are dropped and no outcome is
    // reported any more, but the writes already asked for are still sent;
    // then the thread ends by itself (finished()). A change made just before
    // the user chose another unit is not lost.
    void close();
    // The request in progress returns soon, no further one starts, and the
    // thread ends by itself (finished()).
    void stop();

    static QString stateText(State state);

Q_SIGNALS:
    void stateChanged(UnitLink::State state);
    void finished();

private:
    struct Waiting
    {
        QPointer<QObject> context;
        bool hasContext = false;
        Done done;
    };

    void send(UnitRequest request, QObject *context, Done done);
    void completed(const UnitRequest &request);

    QString m_address;
    std::shared_ptr<RequestQueue> m_queue;
    std::unique_ptr<QThread> m_thread;
    UnitWorker *m_worker = nullptr; // lives on m_thread; deleted once it has ended
    enum class Life { Open, Closing, Stopped };

    QHash<quint64, Waiting> m_waiting;
    quint64 m_nextId = 1;
    State m_state = State::Unknown;
    Life m_life = Life::Open;
};

Q_DECLARE_METATYPE(UnitLink::State)
