#include "unitlink.h"
#include "unitlinks.h"
#include "unittransport.h"

#include <QtTest>

#include <QElapsedTimer>
#include <QMutex>
#include <QSemaphore>

#include <atomic>

namespace {
// A unit whose first request waits until the test lets it go (or the link
// interrupts it), so the test can fill the queue behind it.
class GatedTransport : public UnitTransport
{
public:
    struct Shared
    {
        QSemaphore gate;
        QMutex mutex;
        QStringList done;
        std::atomic<bool> answering{true};
        std::atomic<int> delayMs{0};
        std::atomic<QThread *> thread{nullptr};
        std::atomic<bool> interruptible{true};
    };

    explicit GatedTransport(Shared &shared) : m_shared(shared) {}

    Result get(const QByteArray &name, const QByteArray &, int) override { return serve("get " + name); }
    Result set(const QByteArray &name, const QByteArray &value) override { return serve("set " + name + '=' + value); }
    void interrupt() override
    {
        if (m_shared.interruptible)
            m_shared.gate.release();
    }

private:
    Result serve(const QByteArray &what)
    {
        m_shared.thread = QThread::currentThread();
        if (m_first) {
            m_first = false;
            m_shared.gate.acquire();
        }
        QThread::msleep(ulong(m_shared.delayMs.load()));
        QMutexLocker lock(&m_shared.mutex);
        m_shared.done << QString::fromLatin1(what);
        Result result;
        result.answered = m_shared.answering;
        result.ok = result.answered;
        result.body = what;
        return result;
    }

    Shared &m_shared;
    bool m_first = true;
};
} // namespace

// One unit's link: its requests run on a thread of their own, in order,
// writes ahead of waiting reads and merged while they wait; outcomes come
// back on the caller's thread; stopping never waits for a unit.
class TestUnitLink : public QObject
{
    Q_OBJECT

private slots:
    void orderCoalescingAndCallbacks();
    void stateFollowsReplies();
    void closingAStalledLinkDoesNotWait();
};

void TestUnitLink::orderCoalescingAndCallbacks()
{
    GatedTransport::Shared shared;
    UnitLink link(QStringLiteral("10.0.0.1"), std::make_unique<GatedTransport>(shared));
    QStringList outcomes;
    QObject context;
    bool onCallersThread = true;
    const auto note = [&](const UnitRequest &r) {
        onCallersThread = onCallersThread && QThread::currentThread() == qApp->thread();
        outcomes << QString::fromLatin1(r.name + (r.kind == UnitRequest::Kind::Write ? '=' + r.value : QByteArray()));
    };
    link.read("first", &context, note); // held at the gate
    QTRY_VERIFY(shared.thread.load() != nullptr);
    link.read("a", &context, note);
    link.write("x", "1", &context, note);
    link.write("x", "2", &context, note);
    {
        QObject gone;
        link.read("dropped", &gone, note);
        link.dropReads(&gone);
    }
    QCOMPARE(link.waiting(), 3);
    shared.gate.release();
    QTRY_COMPARE(outcomes.size(), 3);
    QCOMPARE(outcomes, (QStringList{"first", "x=2", "a"}));
    QVERIFY(onCallersThread);
    QVERIFY(shared.thread.load() != qApp->thread());
    QCOMPARE(link.waiting(), 0);
}

void TestUnitLink::stateFollowsReplies()
{
    GatedTransport::Shared shared;
    shared.gate.release();
    UnitLink link(QStringLiteral("10.0.0.1"), std::make_unique<GatedTransport>(shared));
    QSignalSpy changes(&link, &UnitLink::stateChanged);
    QCOMPARE(link.state(), UnitLink::State::Unknown);
    link.read("a", nullptr, {});
    QTRY_COMPARE(link.state(), UnitLink::State::Answering);
    shared.answering = false;
    link.read("b", nullptr, {});
    QTRY_COMPARE(link.state(), UnitLink::State::NotAnswering);
    shared.answering = true;
    shared.delayMs = UnitLink::SlowReplyMs + 100;
    link.read("c", nullptr, {});
    QTRY_COMPARE(link.state(), UnitLink::State::Slow);
    QCOMPARE(changes.size(), 3);
}

// A unit that never answers holds its own thread, not the caller: closing
// its link returns at once, and ending all links waits only until the
// request in progress is interrupted.
void TestUnitLink::closingAStalledLinkDoesNotWait()
{
    GatedTransport::Shared shared;
    shared.interruptible = false;
    auto links = std::make_unique<UnitLinks>([&shared](const QString &) { return std::make_unique<GatedTransport>(shared); });
    UnitLink *link = links->open(QStringLiteral("10.0.0.1"));
    link->read("stalls", nullptr, {});
    QTRY_VERIFY(shared.thread.load() != nullptr);
    links->close(link);
    QCOMPARE(links->running(), 1); // closed, still held by the unit
    QVERIFY(QStringList(shared.done).isEmpty());
    shared.gate.release();
    QTRY_COMPARE(links->running(), 0);

    shared.interruptible = true;
    shared.thread = nullptr;
    links->open(QStringLiteral("10.0.0.2"))->read("stalls too", nullptr, {});
    QTRY_VERIFY(shared.thread.load() != nullptr);
    links.reset(); // interrupts the request and waits for the thread
    QCOMPARE(QStringList(shared.done).size(), 2);
}

QTEST_GUILESS_MAIN(TestUnitLink)
#include "tst_unitlink.moc"
