#include "capturedoutput.h"
#include "scriptedserver.h"
#include "tavirestconfigcontrol.h"

#include <QElapsedTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>

using Connection = ScriptedServer::Connection;

class TestTaviRestConfigControl : public QObject
{
    Q_OBJECT

private slots:
    void requestBytes();
    void results_data();
    void results();
    void oneConnectionCarriesConsecutiveRequests();
    void nextRequestOnNewConnection_data();
    void nextRequestOnNewConnection();
    void replyInPiecesAndWithoutLineEnd_data();
    void replyInPiecesAndWithoutLineEnd();
    void bodyLimitPerRequest_data();
    void bodyLimitPerRequest();
    void endlessReplyGivesUp_data();
    void endlessReplyGivesUp();
    void noBytesTakenPastTheDeadline();
    void stalledUnitGivesUp();
    void closedPortBacksOff();
    void failedConnectLeavesNoSocket();
    void devicePortFromEnvironment_data();
    void devicePortFromEnvironment();
};

namespace {
std::unique_ptr<TAVIRESTConfigControl> linkTo(const ScriptedServer &server, const char *host = "127.0.0.1")
{
    return std::make_unique<TAVIRESTConfigControl>(host, server.port(), "config");
}

// A port on which nothing listens.
int closedPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}
} // namespace

void TestTaviRestConfigControl::requestBytes()
{
    ScriptedServer server([](Connection &c, const std::string &) { c.send(ScriptedServer::unitReply("x")); });
    TAVIRESTConfigControl link("localhost", server.port(), "config");
    std::string value;
    QVERIFY(link.GetParam("eParamID_SystemName", value, "text-plain"));
    QVERIFY(link.ChangeParam("eParamID_Vid1ColorHDRGainRed", "-1250"));
    QVERIFY(link.GetParam("eParamID_NetworkServices", value, "json"));

    const auto requests = server.requests();
    QCOMPARE(requests.size(), std::size_t(3));
    QCOMPARE(requests[0],
             std::string("GET /config?action=get&configid=0&paramid=eParamID_SystemName&alt=text-plain HTTP/1.1\r\n"
                         "Host: localhost\r\n"
                         "Connection: keep-alive\r\n"
                         "Content-type: application/x-www-form-urlencoded\r\n"
                         "Content-length: 0\r\n"
                         "\r\n"));
    QCOMPARE(requests[1],
             std::string("GET /config?action=set&paramid=eParamID_Vid1ColorHDRGainRed&value=-1250 HTTP/1.1\r\n"
                         "Host: localhost\r\n"
                         "Connection: keep-alive\r\n"
                         "\r\n"));
    QVERIFY(requests[2].rfind("GET /config?action=get&configid=0&paramid=eParamID_NetworkServices&alt=json HTTP/1.1\r\n", 0) == 0);
}

// What a read or a change returns, and prints, for each kind of reply.
void TestTaviRestConfigControl::results_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("diagnostic");

    const auto unit = [](const char *body, int status = 200) { return QByteArray::fromStdString(ScriptedServer::unitReply(body, status)); };
    QTest::newRow("read, 200 with body") << false << unit("KVEL") << true << QByteArray("KVEL") << QByteArray();
    QTest::newRow("read, 200 without body") << false << unit("") << true << QByteArray() << QByteArray();
    QTest::newRow("read, 404") << false << unit("nope", 404) << false << QByteArray("untouched")
                               << QByteArray("http_status = 404\n");
    QTest::newRow("read, oversize chunk")
        << false << QByteArray("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n2000\r\n") << false
        << QByteArray("untouched") << QByteArray("http_status = -1\n");
    QTest::newRow("change, 200") << true << unit("") << true << QByteArray() << QByteArray();
    // A refused change prints nothing.
    QTest::newRow("change, 500") << true << unit("", 500) << false << QByteArray() << QByteArray();
}

void TestTaviRestConfigControl::results()
{
    QFETCH(bool, change);
    QFETCH(QByteArray, reply);
    QFETCH(bool, result);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, diagnostic);

    ScriptedServer server([reply](Connection &c, const std::string &) { c.send(reply.toStdString()); });
    auto link = linkTo(server);
    std::string received = "untouched";
    CapturedOutput captured;
    if (change) {
        QCOMPARE(link->ChangeParam("eParamID_Vid0ColorHDRTint", "5"), result);
        QCOMPARE(captured.err(), std::string());
        return;
    }
    QCOMPARE(link->GetParam("eParamID_ProductID", received, "text-plain"), result);
    QCOMPARE(QByteArray(received.c_str()), value);
    QVERIFY2(QByteArray(captured.err().c_str()).endsWith(diagnostic), captured.err().c_str());
}

void TestTaviRestConfigControl::oneConnectionCarriesConsecutiveRequests()
{
    ScriptedServer server([](Connection &c, const std::string &) {
        c.send(ScriptedServer::unitReply(std::to_string(c.requestNumber())));
    });
    auto link = linkTo(server);
    QVERIFY(!link->isConnected());
    for (int i = 1; i <= 20; ++i) {
        std::string value;
        QVERIFY(link->GetParam("eParamID_Vid0ColorHDRTint", value, "text-plain"));
        QCOMPARE(value, std::to_string(i));
        QVERIFY(link->ChangeParam("eParamID_Vid0ColorHDRTint", "1"));
        ++i;
    }
    QCOMPARE(server.connectionCount(), 1);
}

// The first connection ends or must not be used again after the first reply;
// the next request is answered on a new connection, and bytes left from the
// first never pass for its reply. A reply that stopped short or was cut is
// refused: part of a value is a wrong value.
void TestTaviRestConfigControl::nextRequestOnNewConnection_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("unasked"); // sent on its own after the first reply
    QTest::addColumn<bool>("unitCloses");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("linkClosed");

    const std::string closing = ScriptedServer::unitReply("first", 200, "Connection: close\r\n");
    const QByteArray stale = QByteArray::fromStdString(ScriptedServer::unitReply("stale"));
    QTest::newRow("Connection: close") << QByteArray::fromStdString(closing) << QByteArray() << true << true
                                       << QByteArray("first") << true;
    QTest::newRow("bytes after the closing reply")
        << QByteArray::fromStdString(closing) + stale << QByteArray() << true << true << QByteArray("first") << true;
    // A unit that restarts closes its idle connections without a word.
    QTest::newRow("idle connection closed by the unit") << QByteArray::fromStdString(ScriptedServer::unitReply("first"))
                                                        << QByteArray() << true << true << QByteArray("first") << false;
    QTest::newRow("unasked reply in the same block")
        << QByteArray::fromStdString(ScriptedServer::unitReply("first")) + stale << QByteArray() << false << true
        << QByteArray("first") << false;
    QTest::newRow("unasked reply arriving later") << QByteArray::fromStdString(ScriptedServer::unitReply("first")) << stale
                                                  << false << true << QByteArray("first") << false;
    QTest::newRow("unasked bytes without a status line")
        << QByteArray::fromStdString(ScriptedServer::unitReply("first")) << QByteArray("\r\n42\r\n") << false << true
        << QByteArray("first") << false;
    QTest::newRow("closed inside headers") << QByteArray("HTTP/1.1 200 OK\r\nContent-Le") << QByteArray() << true
                                           << false << QByteArray("untouched") << true;
    QTest::newRow("closed inside body") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n123") << QByteArray()
                                        << true << false << QByteArray("untouched") << true;
    QTest::newRow("closed inside chunks")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n3\r\n12") << QByteArray() << true << false
        << QByteArray("untouched") << true;
    QTest::newRow("closed before the last chunk")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n2\r\n12\r\n") << QByteArray() << true
        << false << QByteArray("untouched") << true;
    QTest::newRow("length headers disagree")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nContent-Length: 2\r\n\r\n1400\r\n") << QByteArray()
        << false << false << QByteArray("untouched") << true;
    // The unread rest of an oversize reply must never be read as the next reply.
    QTest::newRow("oversize counted body") << QByteArray::fromStdString(ScriptedServer::unitReply(std::string(6000, '1')))
                                           << QByteArray() << false << false << QByteArray("untouched") << true;
    QTest::newRow("oversize chunk") << QByteArray::fromStdString("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n"
                                                                 "1770\r\n" + std::string(6000, 'a') + "\r\n0\r\n\r\n")
                                    << QByteArray() << false << false << QByteArray("untouched") << true;
    QTest::newRow("chunks over the limit together")
        << QByteArray::fromStdString("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n"
                                     "800\r\n" + std::string(0x800, '1') + "\r\n800\r\n" + std::string(0x800, '2')
                                     + "\r\n1\r\n3\r\n0\r\n\r\n")
        << QByteArray() << false << false << QByteArray("untouched") << true;
}

void TestTaviRestConfigControl::nextRequestOnNewConnection()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, unasked);
    QFETCH(bool, unitCloses);
    QFETCH(bool, result);
    QFETCH(QByteArray, value);
    QFETCH(bool, linkClosed);

    std::atomic<bool> firstSent{false};
    ScriptedServer server([&, first, unasked, unitCloses](Connection &c, const std::string &) {
        if (c.index() > 0) {
            c.send(ScriptedServer::unitReply("fresh"));
            return;
        }
        c.send(first.toStdString());
        if (!unasked.isEmpty())
            c.send(unasked.toStdString());
        if (unitCloses)
            c.close();
        firstSent = true;
    });
    auto link = linkTo(server);
    std::string received = "untouched";
    CapturedOutput quiet;
    QCOMPARE(link->GetParam("eParamID_SystemName", received, "text-plain"), result);
    QCOMPARE(QByteArray::fromStdString(received), value);
    if (linkClosed)
        QCOMPARE(link->socketHandle, -1);
    // Whatever the unit sent after the first reply is there before the next request.
    QTRY_VERIFY_WITH_TIMEOUT(firstSent.load(), 5000);
    QVERIFY(link->GetParam("eParamID_SystemName", received, "text-plain"));
    QCOMPARE(received, std::string("fresh"));
    QVERIFY(link->ChangeParam("eParamID_Vid0ColorHDRTint", "7"));
    QCOMPARE(server.connectionCount(), 2);
}

void TestTaviRestConfigControl::replyInPiecesAndWithoutLineEnd_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("pieceSize");

    QTest::newRow("unit reply byte by byte") << QByteArray(ScriptedServer::unitReply("12345").c_str()) << 1;
    QTest::newRow("standard server, no line end")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n12345") << 4096;
}

void TestTaviRestConfigControl::replyInPiecesAndWithoutLineEnd()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, pieceSize);

    ScriptedServer server([reply, pieceSize](Connection &c, const std::string &) {
        c.sendInPieces(reply.toStdString(), static_cast<std::size_t>(pieceSize), 1);
    });
    auto link = linkTo(server);
    for (int i = 0; i < 3; ++i) {
        std::string value;
        QVERIFY(link->GetParam("eParamID_Vid0ColorHDRTint", value, "text-plain"));
        QCOMPARE(value, std::string("12345"));
    }
    QCOMPARE(server.connectionCount(), 1);
}

// Only the network-services list may be long; every other reply keeps the
// ordinary limit, and a body over the limit of its request is refused.
void TestTaviRestConfigControl::bodyLimitPerRequest_data()
{
    QTest::addColumn<bool>("listRead");
    QTest::addColumn<int>("bodySize");
    QTest::addColumn<bool>("result");

    const int longest = int(TAVIRESTConfigControl::LongestServicesReply);
    QTest::newRow("read, at the limit") << false << TAVIRESTConfigControl::MAX_RESPONSE_BUFFER_SIZE << true;
    QTest::newRow("read, one over") << false << TAVIRESTConfigControl::MAX_RESPONSE_BUFFER_SIZE + 1 << false;
    QTest::newRow("list read, 500 units' worth") << true << 60000 << true;
    QTest::newRow("list read, at its limit") << true << longest << true;
    QTest::newRow("list read, one over") << true << longest + 1 << false;
}

void TestTaviRestConfigControl::bodyLimitPerRequest()
{
    QFETCH(bool, listRead);
    QFETCH(int, bodySize);
    QFETCH(bool, result);

    const std::string body(static_cast<std::size_t>(bodySize), 'b');
    ScriptedServer server([&body](Connection &c, const std::string &) { c.send(ScriptedServer::unitReply(body)); });
    auto link = linkTo(server);
    std::string value = "untouched";
    bool answered = false;
    {
        CapturedOutput quiet;
        answered = listRead ? link->GetParam("eParamID_NetworkServices", value, "json",
                                             TAVIRESTConfigControl::LongestServicesReply)
                            : link->GetParam("eParamID_SystemName", value, "text-plain");
    }
    QCOMPARE(answered, result);
    QVERIFY(value == (result ? body : std::string("untouched")));
}

// A unit that never ends its reply, sending as fast as it can, is given up:
// a head by its limits, a trailer by the reply time-out.
void TestTaviRestConfigControl::endlessReplyGivesUp_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("repeated");

    QTest::newRow("header lines") << QByteArray("HTTP/1.1 200 OK\r\n") << QByteArray("X-Padding: 0123456789\r\n");
    QTest::newRow("trailer lines after the last chunk")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n0\r\n") << QByteArray("X-Trailer: 1\r\n");
}

void TestTaviRestConfigControl::endlessReplyGivesUp()
{
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, repeated);

    // The unit stops by itself after a while, so a link that never gives up
    // shows as a slow failure rather than a test that never ends.
    constexpr int UnitGoesOnMs = 30000;
    ScriptedServer server([&](Connection &c, const std::string &) {
        QElapsedTimer sending;
        sending.start();
        const std::string batch = repeated.repeated(4000).toStdString();
        bool open = c.send(start.toStdString());
        while (open && sending.elapsed() < UnitGoesOnMs)
            open = c.send(batch);
        c.close();
    });
    auto link = linkTo(server);
    std::string value = "untouched";
    QElapsedTimer clock;
    clock.start();
    {
        CapturedOutput quiet;
        QVERIFY(!link->GetParam("eParamID_SystemName", value, "text-plain"));
    }
    QVERIFY2(clock.elapsed() < UnitGoesOnMs / 3, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(value, std::string("untouched"));
    QCOMPARE(link->socketHandle, -1);
}

// Bytes that are already waiting when the deadline has passed are not taken:
// a unit that keeps sending could otherwise hold the reader for ever.
void TestTaviRestConfigControl::noBytesTakenPastTheDeadline()
{
    int ends[2];
    QCOMPARE(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    QCOMPARE(write(ends[1], "HTTP/1.1 200 OK\r\n", 17), ssize_t(17));
    SocketByteSource source;
    source.attach(ends[0]);
    char buffer[8];
    source.setDeadline(SocketByteSource::Clock::now() + std::chrono::seconds(10));
    QCOMPARE(source.receive(buffer, sizeof buffer), 8);
    source.setDeadline(SocketByteSource::Clock::now() - std::chrono::milliseconds(1));
    QCOMPARE(source.receive(buffer, sizeof buffer), -1);
    QVERIFY(source.timedOut());
    close(ends[0]);
    close(ends[1]);
}

void TestTaviRestConfigControl::stalledUnitGivesUp()
{
    ScriptedServer server([](Connection &c, const std::string &) {
        if (c.index() > 0)
            c.send(ScriptedServer::unitReply("awake"));
    });
    auto link = linkTo(server);
    std::string value = "untouched";
    QElapsedTimer clock;
    clock.start();
    {
        CapturedOutput quiet;
        QVERIFY(!link->GetParam("eParamID_SystemName", value, "text-plain"));
        // During the back-off every request fails at once.
        for (int i = 0; i < 27; ++i)
            QVERIFY(!link->GetParam("eParamID_SystemName", value, "text-plain"));
    }
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= TAVIRESTConfigControl::ReplyTimeoutMs - 50, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < 2 * TAVIRESTConfigControl::ReplyTimeoutMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(value, std::string("untouched"));
    QCOMPARE(link->socketHandle, -1);
    QCOMPARE(server.connectionCount(), 1);
    // After the back-off the link tries again, and a unit that answers ends it.
    QTRY_VERIFY_WITH_TIMEOUT(link->GetParam("eParamID_SystemName", value, "text-plain"), 5000);
    QCOMPARE(value, std::string("awake"));
    QVERIFY(!link->inBackoff());
}

void TestTaviRestConfigControl::closedPortBacksOff()
{
    const int port = closedPort();
    TAVIRESTConfigControl link("127.0.0.1", port, "config");
    std::string value;
    CapturedOutput captured;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!link.GetParam("eParamID_SystemName", value, "text-plain"));
    QVERIFY(captured.err().find("ConfigControl::Connect - connect failed: ") != std::string::npos);
    QVERIFY(link.inBackoff());
    const std::size_t diagnosticsAfterFirst = captured.err().size();
    for (int i = 0; i < 50; ++i)
        QVERIFY(!link.ChangeParam("eParamID_SystemName", "1"));
    QVERIFY(clock.elapsed() < TAVIRESTConfigControl::FirstBackoffMs);
    QCOMPARE(captured.err().size(), diagnosticsAfterFirst); // failing at once, quietly

    // Once the back-off has passed, the next request connects again: the
    // failure shows, and the back-off doubles.
    QTRY_VERIFY_WITH_TIMEOUT(!link.inBackoff(), 3000);
    QVERIFY(!link.GetParam("eParamID_SystemName", value, "text-plain"));
    QVERIFY(captured.err().size() > diagnosticsAfterFirst);
    QVERIFY(link.inBackoff());
}

void TestTaviRestConfigControl::failedConnectLeavesNoSocket()
{
    TAVIRESTConfigControl refused("127.0.0.1", closedPort(), "config");
    TAVIRESTConfigControl unknown("no-such-host.invalid", 80, "config");
    CapturedOutput captured;
    QVERIFY(!refused.Connect());
    QCOMPARE(refused.socketHandle, -1);
    QVERIFY(!unknown.Connect());
    QCOMPARE(unknown.socketHandle, -1);
    QVERIFY(captured.err().find("ConfigControl::Connect - getaddrinfo failed") != std::string::npos);
}

void TestTaviRestConfigControl::devicePortFromEnvironment_data()
{
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<int>("port");

    QTest::newRow("unset") << QByteArray() << 80;
    QTest::newRow("set") << QByteArray("8080") << 8080;
    QTest::newRow("trailing text") << QByteArray("81x") << 80;
    QTest::newRow("out of range") << QByteArray("70000") << 80;
}

void TestTaviRestConfigControl::devicePortFromEnvironment()
{
    QFETCH(QByteArray, setting);
    QFETCH(int, port);

    if (setting.isNull())
        qunsetenv("PRISMOLINK_DEVICE_PORT");
    else
        qputenv("PRISMOLINK_DEVICE_PORT", setting);
    QCOMPARE(TAVIRESTConfigControl::devicePort(), port);
    qunsetenv("PRISMOLINK_DEVICE_PORT");
}

QTEST_GUILESS_MAIN(TestTaviRestConfigControl)
#include "tst_tavirestconfigcontrol.moc"
