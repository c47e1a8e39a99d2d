#include "hubwords.h"
#include "tangentwavepanel.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

// The hub's side, in the test's own thread: Qt sockets are event driven.
class FakeHub : public QObject
{
public:
    explicit FakeHub(quint16 port = 0)
    {
        server.listen(QHostAddress::LocalHost, port);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = server.nextPendingConnection()) {
                ++connections;
                received.clear();
                client.reset(s);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { received += s->readAll(); });
            }
        });
    }
    bool connected() const { return client && client->state() == QAbstractSocket::ConnectedState; }
    void send(const QByteArray &bytes)
    {
        client->write(bytes);
        client->flush();
    }
    QByteArray take(int count)
    {
        const QByteArray out = received.left(count);
        received.remove(0, count);
        return out;
    }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> client;
    QByteArray received;
    int connections = 0;
};

// A hub on its own thread that greets every connection and then reads
// nothing. Its receive buffer is small, so the program's writes back up soon.
class DeafHub
{
public:
    DeafHub()
    {
        m_listenFd = socket(AF_INET, SOCK_STREAM, 0);
        const int small = 4096;
        setsockopt(m_listenFd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(m_listenFd, 4);
        socklen_t length = sizeof address;
        getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~DeafHub()
    {
        m_stop = true;
        m_thread.join();
        for (int fd : m_clients)
            close(fd);
        close(m_listenFd);
    }
    quint16 port() const { return m_port; }
    int connections() const { return m_connections.load(); }

private:
    void run()
    {
        const QByteArray greeting = framed(words({0x01, 5, 1, 0x0C, 0x10}));
        while (!m_stop) {
            pollfd listening{m_listenFd, POLLIN, 0};
            if (poll(&listening, 1, 20) <= 0)
                continue;
            const int fd = accept(m_listenFd, nullptr, nullptr);
            if (fd == -1)
                continue;
            ::send(fd, greeting.constData(), size_t(greeting.size()), MSG_NOSIGNAL);
            m_clients.push_back(fd);
            ++m_connections;
        }
    }

    int m_listenFd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::vector<int> m_clients; // the hub thread's own until it ends
    std::thread m_thread;
};

class TestTangentWavePanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void hubPort_data();
    void hubPort();
    void greetingAnnouncesTheProgram();
    void displayWriteCarriesRefreshedPanel();
    void replies_data();
    void replies();
    void eventsInOrderUntilUnknownCommand();
    void splitLengthWordAndBodyKeepTheConnection();
    void oversizeAndOverrunDropped();
    void textLengthsChecked();
    void hubStartingLateIsFound();
    void hubRestartGreetsAgain();
    void hubThatStopsReadingIsDropped();

private:
    void connectAndGreet();

    std::unique_ptr<FakeHub> hub;
    std::unique_ptr<tangentWavePanel> panel;
};

namespace {

constexpr int Timeout = 20000;

const QByteArray appDefinition = words({0x24, 0x81, 20}) + "Marvendolquistraband" + words({0, 0});

quint16 unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

void TestTangentWavePanel::initTestCase()
{
    qRegisterMetaType<uint32_t>("uint32_t");
}

void TestTangentWavePanel::init()
{
    hub = std::make_unique<FakeHub>();
    qputenv("PRISMOLINK_HUB_PORT", QByteArray::number(hub->server.serverPort()));
}

void TestTangentWavePanel::cleanup()
{
    panel.reset();
    hub.reset();
    qunsetenv("PRISMOLINK_HUB_PORT");
}

void TestTangentWavePanel::connectAndGreet()
{
    panel = std::make_unique<tangentWavePanel>();
    QTRY_VERIFY_WITH_TIMEOUT(hub->connected(), Timeout);
    QSignalSpy greeted(panel.get(), &tangentWavePanel::sig_hubGreeted);
    hub->send(framed(words({0x01, 5, 1, 0x0C, 0x10})));
    QVERIFY(greeted.wait(Timeout));
    QTRY_COMPARE_WITH_TIMEOUT(hub->received.size(), 40 + 12, Timeout);
    hub->received.clear();
}

void TestTangentWavePanel::hubPort_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("port");
    QTest::newRow("unset") << QByteArray() << 64246;
    QTest::newRow("set") << QByteArray("40123") << 40123;
    QTest::newRow("too large") << QByteArray("65536") << 64246;
}

void TestTangentWavePanel::hubPort()
{
    QFETCH(QByteArray, value);
    QFETCH(int, port);
    if (value.isEmpty())
        qunsetenv("PRISMOLINK_HUB_PORT");
    else
        qputenv("PRISMOLINK_HUB_PORT", value);
    QCOMPARE(int(tangentWavePanel::hubPort()), port);
}

void TestTangentWavePanel::greetingAnnouncesTheProgram()
{
    panel = std::make_unique<tangentWavePanel>();
    QTRY_VERIFY_WITH_TIMEOUT(hub->connected(), Timeout);
    // Nothing goes out before the greeting.
    panel->SendSegment(0, 0, "12345678");
    QVERIFY(!panel->hubReady());

    QSignalSpy greeted(panel.get(), &tangentWavePanel::sig_hubGreeted);
    hub->send(framed(words({0x01, 7, 2, 0x0C, 0x10, 0x0C, 0x20})));
    QVERIFY(greeted.wait(Timeout));
    QCOMPARE(panel->protocolRevision(), 7u);
    QTRY_COMPARE_WITH_TIMEOUT(hub->received.size(), 40 + 20, Timeout);
    QCOMPARE(hub->take(40).toHex(' '), appDefinition.toHex(' '));
    QCOMPARE(hub->take(20).toHex(' '), words({0x10, 0xA0, 0x10, 0xA0, 0x20}).toHex(' '));
}

void TestTangentWavePanel::displayWriteCarriesRefreshedPanel()
{
    connectAndGreet();
    QSignalSpy refresh(panel.get(), &tangentWavePanel::sig_refreshMe);
    hub->send(framed(words({0x34, 5})));
    QVERIFY(refresh.wait(Timeout));
    panel->SendSegment(1, 8, "0.000   ");
    QTRY_COMPARE_WITH_TIMEOUT(hub->received.size(), 36, Timeout);
    QCOMPARE(hub->received.toHex(' '), (words({32, 0xA1, 5, 0, 1, 8, 8}) + "0.000   ").toHex(' '));
}

void TestTangentWavePanel::replies_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<quint32>("replyId");
    QTest::addColumn<quint32>("itemId");

    QTest::newRow("parameter changed") << words({0x02, 11}) + real(0.5f) << 0x82u << 11u;
    QTest::newRow("parameter reset") << words({0x03, 12}) << 0x82u << 12u;
    QTest::newRow("parameter requested") << words({0x04, 13}) << 0x82u << 13u;
    QTest::newRow("menu stepped") << words({0x05, 21, quint32(-1)}) << 0x83u << 21u;
    QTest::newRow("menu reset") << words({0x06, 22}) << 0x83u << 22u;
    QTest::newRow("menu requested") << words({0x07, 23}) << 0x83u << 23u;
    QTest::newRow("mode requested") << words({0x09, 31}) << 0x85u << 31u;
}

void TestTangentWavePanel::replies()
{
    QFETCH(QByteArray, request);
    QFETCH(quint32, replyId);
    QFETCH(quint32, itemId);

    connectAndGreet();
    hub->send(framed(request));
    const int size = replyId == 0x82 ? 20 : replyId == 0x83 ? 26 : 12;
    QTRY_COMPARE_WITH_TIMEOUT(hub->received.size(), size, Timeout);
    const QByteArray reply = hub->received;
    QCOMPARE(reply.left(12).toHex(' '), words({quint32(size - 4), replyId, itemId}).toHex(' '));
    if (replyId == 0x82) {
        float value;
        const quint32 bits = qFromBigEndian<quint32>(reply.constData() + 12);
        std::memcpy(&value, &bits, 4);
        QVERIFY2(value >= 0.0f && value <= 1.0f, qPrintable(QString::number(double(value))));
        QCOMPARE(reply.mid(16), words({0}));
    } else if (replyId == 0x83) {
        QCOMPARE(reply.mid(12, 9), words({6}) + "Menu ");
        QVERIFY(reply.at(21) >= 'A' && reply.at(21) <= 'Z');
        QCOMPARE(reply.mid(22), words({1}));
    }
}

void TestTangentWavePanel::eventsInOrderUntilUnknownCommand()
{
    connectAndGreet();
    QStringList events;
    connect(panel.get(), &tangentWavePanel::sig_buttonDown, this, [&](uint32_t id) { events << QStringLiteral("down %1").arg(id); });
    connect(panel.get(), &tangentWavePanel::sig_buttonUp, this, [&](uint32_t id) { events << QStringLiteral("up %1").arg(id); });
    connect(panel.get(), &tangentWavePanel::sig_encoder, this,
            [&](uint32_t id, float delta) { events << QStringLiteral("encoder %1 %2").arg(id).arg(double(delta)); });

    hub->send(framed(words({0x31, 1, 4, 0x33, 1, 7}) + real(-90)));
    QTRY_COMPARE_WITH_TIMEOUT(events, (QStringList{"down 4", "encoder 7 -90"}), Timeout);

    QTest::ignoreMessage(QtDebugMsg, "Unhandled command 0xc");
    hub->send(framed(words({0x31, 1, 2, 0x0C, 1, 2, 0x32, 1, 2})) + framed(words({0x32, 1, 9})));
    QTRY_COMPARE_WITH_TIMEOUT(events.size(), 4, Timeout);
    QCOMPARE(events.mid(2), (QStringList{"down 2", "up 9"}));
}

void TestTangentWavePanel::splitLengthWordAndBodyKeepTheConnection()
{
    connectAndGreet();
    QSignalSpy down(panel.get(), &tangentWavePanel::sig_buttonDown);
    QSignalSpy lost(panel.get(), &ClientIF::disconnected);
    const QByteArray message = framed(words({0x31, 1, 3}));
    // Each piece is delivered on its own before the next is sent.
    for (int cut : {2, 7}) {
        hub->send(message.left(cut));
        QTRY_VERIFY_WITH_TIMEOUT(hub->client->bytesToWrite() == 0, Timeout);
        hub->send(message.mid(cut, 9 - cut) + message.mid(9));
        QTRY_COMPARE_WITH_TIMEOUT(down.count(), 1, Timeout);
        down.clear();
    }
    QCOMPARE(lost.count(), 0);
    QCOMPARE(hub->connections, 1);
    QVERIFY(panel->hubReady());
}

void TestTangentWavePanel::oversizeAndOverrunDropped()
{
    connectAndGreet();
    QSignalSpy down(panel.get(), &tangentWavePanel::sig_buttonDown);
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel: message of 2000 bytes dropped, longer than 1028");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel: command 0x33 runs past the end of its message; dropped");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel: greeting lists 11 panels, more than 10 ; dropped");
    hub->send(framed(words({0x31, 1, 1}) + QByteArray(1988, '\x31')));
    hub->send(framed(words({0x31, 1, 2, 0x33, 1})));
    hub->send(framed(words({0x01, 5, 11}) + QByteArray(88, '\0')));
    hub->send(framed(words({0x31, 1, 3})));
    QTRY_COMPARE_WITH_TIMEOUT(down.count(), 2, Timeout);
    QCOMPARE(down.at(0).at(0).toUInt(), 2u);
    QCOMPARE(down.at(1).at(0).toUInt(), 3u);
    QCOMPARE(hub->connections, 1);
    QVERIFY(hub->received.isEmpty()); // the dropped greeting was not answered
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
    const QByteArray longText(1500, 'x');
    panel->SendText(0, 0, longText.constData());
    QTRY_COMPARE_WITH_TIMEOUT(hub->received.size(), 34 + 1028, Timeout);
    QCOMPARE(hub->take(34).mid(16, 12), words({4, 0, 6}));
    QCOMPARE(hub->received.left(4), words({1024}));
    QCOMPARE(hub->received.mid(24, 4), words({1000}));
}

void TestTangentWavePanel::hubStartingLateIsFound()
{
    const quint16 port = unusedPort();
    qputenv("PRISMOLINK_HUB_PORT", QByteArray::number(port));
    panel = std::make_unique<tangentWavePanel>();
    QSignalSpy lost(panel.get(), &ClientIF::disconnected);
    QVERIFY(lost.wait(Timeout));
    QCOMPARE(panel->statusMsg(), QStringLiteral("Connection refused"));

    hub = std::make_unique<FakeHub>(port);
    QVERIFY(hub->server.isListening());
    QTRY_VERIFY_WITH_TIMEOUT(hub->connected(), Timeout);
    QSignalSpy greeted(panel.get(), &tangentWavePanel::sig_hubGreeted);
    hub->send(framed(words({0x01, 5, 0})));
    QVERIFY(greeted.wait(Timeout));
    QTRY_COMPARE_WITH_TIMEOUT(hub->received, appDefinition + words({0}), Timeout);
}

void TestTangentWavePanel::hubRestartGreetsAgain()
{
    connectAndGreet();
    const quint16 port = hub->server.serverPort();
    QSignalSpy lost(panel.get(), &ClientIF::disconnected);
    hub.reset();
    QVERIFY(lost.wait(Timeout));
    QCOMPARE(panel->statusMsg(), QStringLiteral("Disconnected"));
    QVERIFY(!panel->hubReady());
    panel->SendText(0, 0, "dropped while the hub is away");

    hub = std::make_unique<FakeHub>(port);
    QVERIFY(hub->server.isListening());
    QTRY_VERIFY_WITH_TIMEOUT(hub->connected(), Timeout);
    QSignalSpy greeted(panel.get(), &tangentWavePanel::sig_hubGreeted);
    hub->send(framed(words({0x01, 5, 1, 0x0C, 0x10})));
    QVERIFY(greeted.wait(Timeout));
    QTRY_COMPARE_WITH_TIMEOUT(hub->received, appDefinition + words({8, 0xA0, 0x10}), Timeout);
}

// What waits for a hub that stopped reading stays bounded: past the bound
// the connection is dropped and made again, and the hub greets anew.
void TestTangentWavePanel::hubThatStopsReadingIsDropped()
{
    DeafHub deaf;
    qputenv("PRISMOLINK_HUB_PORT", QByteArray::number(deaf.port()));
    panel = std::make_unique<tangentWavePanel>();
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
    QTRY_COMPARE_WITH_TIMEOUT(deaf.connections(), 2, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(panel->hubReady(), Timeout);
}

QTEST_GUILESS_MAIN(TestTangentWavePanel)
#include "tst_tangentwavepanel.moc"
