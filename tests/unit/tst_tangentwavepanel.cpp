#include "hubwords.h"
#include "tangentwavepanel.h"

#include <QTcpServer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

// The hub's side, on a thread of its own: it greets each connection it
// accepts with the greeting it was given, records what the program sends and
// sends what the test queues, one piece per turn. A deaf hub never reads and
// has a small receive buffer, so the program's writes back up soon.
class FakeHub
{
public:
    explicit FakeHub(QByteArray greeting, quint16 port = 0, bool deaf = false)
        : m_greeting(std::move(greeting))
        , m_deaf(deaf)
    {
        m_listenFd = socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1, small = 4096;
        setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (deaf)
            setsockopt(m_listenFd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        bind(m_listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(m_listenFd, 4);
        socklen_t length = sizeof address;
        getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~FakeHub()
    {
        m_stop = true;
        m_thread.join();
        close(m_listenFd);
    }
    quint16 port() const { return m_port; }
    int connections() const { return m_connections; }
    void send(const QByteArray &bytes)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_outbox << bytes;
    }
    QByteArray received() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }
    void clear()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_received.clear();
    }

private:
    void dropClient()
    {
        if (m_client != -1)
            close(m_client);
        m_client = -1;
    }
    void run()
    {
        while (!m_stop) {
            pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_client, short(m_deaf ? 0 : POLLIN), 0}};
            poll(fds, 2, 10);
            if (fds[0].revents & POLLIN) {
                dropClient();
                m_client = accept(m_listenFd, nullptr, nullptr);
                ++m_connections;
                clear();
                ::send(m_client, m_greeting.constData(), size_t(m_greeting.size()), MSG_NOSIGNAL);
            } else if (fds[1].revents) {
                char buffer[4096];
                const ssize_t n = recv(m_client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    dropClient();
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_received.append(buffer, int(std::max<ssize_t>(n, 0)));
            }
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_client != -1 && !m_outbox.isEmpty()) {
                const QByteArray piece = m_outbox.takeFirst();
                ::send(m_client, piece.constData(), size_t(piece.size()), MSG_NOSIGNAL);
            }
        }
        dropClient();
    }

    const QByteArray m_greeting;
    const bool m_deaf;
    int m_listenFd = -1;
    int m_client = -1; // the hub thread's own until it ends
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    QByteArrayList m_outbox;
    QByteArray m_received;
    std::thread m_thread;
};

class TestTangentWavePanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void greetingAnnouncesTheProgram();
    void replies();
    void events();
    void textLengthsChecked();
    void hubStartingLateOrRestartingIsFound();
    void hubThatStopsReadingIsDropped();

private:
    void connectAndGreet();

    std::unique_ptr<FakeHub> hub;
    std::unique_ptr<tangentWavePanel> panel;
};

namespace {
constexpr int Timeout = 20000;
const QByteArray greeting = framed(words({0x01, 5, 1, 0x0C, 0x10}));
const QByteArray appDefinition = words({0x24, 0x81, 20}) + "Marvendolquistraband" + words({0, 0});
} // namespace

void TestTangentWavePanel::initTestCase()
{
    qRegisterMetaType<uint32_t>("uint32_t");
}

void TestTangentWavePanel::cleanup()
{
    panel.reset();
    hub.reset();
}

void TestTangentWavePanel::connectAndGreet()
{
    hub = std::make_unique<FakeHub>(greeting);
    panel = std::make_unique<tangentWavePanel>(hub->port());
    QTRY_COMPARE_WITH_TIMEOUT(hub->received(), appDefinition + words({8, 0xA0, 0x10}), Timeout);
    hub->clear();
}

void TestTangentWavePanel::greetingAnnouncesTheProgram()
{
    hub = std::make_unique<FakeHub>(QByteArray());
    panel = std::make_unique<tangentWavePanel>(hub->port());
    QTRY_COMPARE_WITH_TIMEOUT(hub->connections(), 1, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(panel->isConnected(), Timeout);
    panel->SendSegment(0, 0, "dropped!"); // before the greeting

    QSignalSpy greeted(panel.get(), &tangentWavePanel::sig_hubGreeted);
    hub->send(framed(words({0x01, 7, 2, 0x0C, 0x10, 0x0C, 0x20})));
    QVERIFY(greeted.wait(Timeout));
    QCOMPARE(panel->protocolRevision(), 7u);
    QTRY_COMPARE_WITH_TIMEOUT(hub->received(), appDefinition + words({0x10, 0xA0, 0x10, 0xA0, 0x20}), Timeout);

    // Display writes carry the panel of the last refresh request.
    hub->clear();
    QSignalSpy refresh(panel.get(), &tangentWavePanel::sig_refreshMe);
    hub->send(framed(words({0x34, 5})));
    QVERIFY(refresh.wait(Timeout));
    panel->SendSegment(1, 8, "0.000   ");
    QTRY_COMPARE_WITH_TIMEOUT(hub->received(), words({32, 0xA1, 5, 0, 1, 8, 8}) + "0.000   ", Timeout);
}

// Each request of the hub gets its reply: a parameter value (from 0.0 to
// 1.0), a menu string or a mode value for the id asked about.
void TestTangentWavePanel::replies()
{
    connectAndGreet();
    hub->send(framed(words({0x02, 11}) + real(0.5f)
                     + words({0x03, 12, 0x04, 13, 0x05, 21, quint32(-1), 0x06, 22, 0x07, 23, 0x09, 31})));
    const QByteArrayList expected = {words({16, 0x82, 11}), words({16, 0x82, 12}), words({16, 0x82, 13}), words({22, 0x83, 21}),
                                     words({22, 0x83, 22}), words({22, 0x83, 23}), words({8, 0x85, 31})};
    QTRY_COMPARE_WITH_TIMEOUT(hub->received().size(), 3 * 20 + 3 * 26 + 12, Timeout);
    const QByteArray sent = hub->received();
    QByteArrayList heads;
    for (int at = 0; at < sent.size(); at += 4 + int(qFromBigEndian<quint32>(sent.constData() + at))) {
        heads << sent.mid(at, 12);
        if (heads.size() <= 3)
            QVERIFY(sent.mid(at + 12, 4) >= real(0) && sent.mid(at + 12, 4) <= real(1));
    }
    QCOMPARE(heads, expected);
}

// Panel events become signals in order. A message split anywhere is put
// together again; an unknown command ends its message; a message too long, a
// command that runs past its message and a greeting of too many panels are
// dropped. None of them costs the connection.
void TestTangentWavePanel::events()
{
    connectAndGreet();
    QStringList events;
    connect(panel.get(), &tangentWavePanel::sig_buttonDown, this, [&](uint32_t id) { events << QStringLiteral("down %1").arg(id); });
    connect(panel.get(), &tangentWavePanel::sig_buttonUp, this, [&](uint32_t id) { events << QStringLiteral("up %1").arg(id); });
    connect(panel.get(), &tangentWavePanel::sig_encoder, this,
            [&](uint32_t id, float delta) { events << QStringLiteral("encoder %1 %2").arg(id).arg(double(delta)); });
    QTest::ignoreMessage(QtDebugMsg, "Unhandled command 0xc");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel: message of 2000 bytes dropped, longer than 1028");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel: command 0x33 runs past the end of its message; dropped");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel: greeting lists 11 panels, more than 10 ; dropped");

    hub->send(framed(words({0x31, 1, 4, 0x33, 1, 7}) + real(-90)));
    const QByteArray message = framed(words({0x31, 1, 1}));
    for (int cut : {2, 7}) {
        hub->send(message.left(cut));
        hub->send(message.mid(cut));
    }
    hub->send(framed(words({0x31, 1, 2, 0x0C, 1, 2, 0x32, 1, 2})));
    hub->send(framed(words({0x31, 1, 9}) + QByteArray(1988, '\x31')));
    hub->send(framed(words({0x32, 1, 2, 0x33, 1})));
    hub->send(framed(words({0x01, 5, 11}) + QByteArray(88, '\0')));
    hub->send(framed(words({0x32, 1, 3})));
    QTRY_COMPARE_WITH_TIMEOUT(events, (QStringList{"down 4", "encoder 7 -90", "down 1", "down 1", "down 2", "up 2", "up 3"}),
                              Timeout);
    QCOMPARE(hub->connections(), 1);
    QVERIFY(hub->received().isEmpty()); // the dropped greeting was not answered
}

void TestTangentWavePanel::textLengthsChecked()
{
    connectAndGreet();
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel::SendSegment - ERROR len = 7");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel::SendSegment - ERROR len = 9");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel::SendText - text cut to 1000 bytes to fit the message");
    panel->SendSegment(0, 0, "1234567");
    panel->SendSegment(0, 0, "123456789");
    panel->SendText(4, 0, "status");
    panel->SendText(0, 0, QByteArray(1500, 'x').constData());
    QTRY_COMPARE_WITH_TIMEOUT(hub->received().size(), 34 + 1028, Timeout);
    const QByteArray sent = hub->received();
    QCOMPARE(sent.left(34), words({30, 0xA1, 0, 0, 4, 0, 6}) + "status");
    QCOMPARE(sent.mid(34, 4), words({1024}));
    QCOMPARE(sent.mid(34 + 24, 4), words({1000}));
}

// A hub that starts late is found, and one that restarts greets the program
// again; while it is away, whatever is sent is dropped.
void TestTangentWavePanel::hubStartingLateOrRestartingIsFound()
{
    quint16 port;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    panel = std::make_unique<tangentWavePanel>(port);
    QSignalSpy lost(panel.get(), &ClientIF::disconnected);
    QVERIFY(lost.wait(Timeout));
    QCOMPARE(panel->statusMsg(), QStringLiteral("Connection refused"));

    const QByteArray greetings[] = {framed(words({0x01, 5, 0})), greeting};
    const QByteArray announcements[] = {appDefinition + words({0}), appDefinition + words({8, 0xA0, 0x10})};
    for (int start = 0; start < 2; ++start) {
        hub = std::make_unique<FakeHub>(greetings[start], port);
        QCOMPARE(hub->port(), port);
        QTRY_COMPARE_WITH_TIMEOUT(hub->received(), announcements[start], Timeout);
        lost.clear();
        hub.reset();
        QVERIFY(lost.wait(Timeout));
        QCOMPARE(panel->statusMsg(), QStringLiteral("Disconnected"));
        QVERIFY(!panel->hubReady());
        panel->SendText(0, 0, "dropped while the hub is away");
    }
}

// What waits for a hub that stopped reading stays bounded: past the bound
// the connection is dropped and made again, and the hub greets anew.
void TestTangentWavePanel::hubThatStopsReadingIsDropped()
{
    hub = std::make_unique<FakeHub>(greeting, 0, true);
    panel = std::make_unique<tangentWavePanel>(hub->port());
    QTRY_VERIFY_WITH_TIMEOUT(panel->hubReady(), Timeout);

    const QByteArray text(HubMessageBuilder::MaxDisplayText, 'x');
    constexpr qint64 message = 1028; // one display write of that text
    qint64 most = 0;
    // Far more than the system's socket buffers and the bound hold together.
    for (int i = 0; i < 20000 && panel->hubReady(); ++i) {
        panel->SendText(0, 0, text.constData());
        most = std::max(most, panel->queuedBytes());
    }
    QVERIFY2(most <= ClientIF::MaxQueuedBytes + message, qPrintable(QString::number(most)));
    QVERIFY(!panel->hubReady());
    QTRY_COMPARE_WITH_TIMEOUT(hub->connections(), 2, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(panel->hubReady(), Timeout);
}

QTEST_GUILESS_MAIN(TestTangentWavePanel)
#include "tst_tangentwavepanel.moc"
