#include "linklogcapture.h"
#include "scriptedserver.h"
#include "tavirestconfigcontrol.h"
#include "unitidentity.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using Connection = ScriptedServer::Connection;

class TestTaviRestConfigControl : public QObject
{
    Q_OBJECT

private slots:
    void requestBytes();
    void results_data();
    void results();
    void nextRequestOnNewConnection_data();
    void nextRequestOnNewConnection();
    void endlessReplyGivesUp();
    void interruptEndsAWaitingRequest();
    void failedConnectBacksOff();
};

namespace {
std::unique_ptr<TAVIRESTConfigControl> linkTo(const ScriptedServer &server)
{
    return std::make_unique<TAVIRESTConfigControl>("127.0.0.1", server.port(), "config");
}

QByteArray unit(const std::string &body, int status = 200, const std::string &extraHeaders = {})
{
    return QByteArray::fromStdString(ScriptedServer::unitReply(body, status, extraHeaders));
}
} // namespace

// The bytes of each kind of request, one after another on one kept
// connection, each answered by its own reply.
void TestTaviRestConfigControl::requestBytes()
{
    ScriptedServer server(
        [](Connection &c, const std::string &) { c.send(ScriptedServer::unitReply(std::to_string(c.requestNumber()))); });
    TAVIRESTConfigControl link("localhost", server.port(), "config");
    std::string value;
    QVERIFY(link.GetParam("eParamID_SystemName", value, "text-plain"));
    QCOMPARE(value, std::string("1"));
    QVERIFY(link.ChangeParam("eParamID_Vid1ColorHDRGainRed", "-1250"));
    QVERIFY(link.GetParam("eParamID_NetworkServices", value, "json"));
    QCOMPARE(value, std::string("3"));
    QCOMPARE(server.connectionCount(), 1);

    const auto requests = server.requests();
    QCOMPARE(requests.size(), std::size_t(3));
    QCOMPARE(requests[0], std::string("GET /config?action=get&configid=0&paramid=eParamID_SystemName&alt=text-plain HTTP/1.1\r\n"
                                      "Host: localhost\r\n"
                                      "Connection: keep-alive\r\n"
                                      "Content-type: application/x-www-form-urlencoded\r\n"
                                      "Content-length: 0\r\n"
                                      "\r\n"));
    QCOMPARE(requests[1], std::string("GET /config?action=set&paramid=eParamID_Vid1ColorHDRGainRed&value=-1250 HTTP/1.1\r\n"
                                      "Host: localhost\r\n"
                                      "Connection: keep-alive\r\n"
                                      "\r\n"));
    QVERIFY(requests[2].rfind("GET /config?action=get&configid=0&paramid=eParamID_NetworkServices&alt=json HTTP/1.1\r\n", 0) == 0);
}

// What a request returns, and prints, for each kind of reply. Only the
// network-services list may be long; every other reply keeps the ordinary
// limit, and a body over the limit of its request is refused.
void TestTaviRestConfigControl::results_data()
{
    QTest::addColumn<QString>("request"); // "read", "list" (the network services) or "change"
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("diagnostic");

    const QByteArray untouched = "untouched";
    const int longest = int(UnitIdentity::LongestServicesReply);
    const auto body = [](int size) { return QByteArray(size, 'b'); };
    QTest::newRow("read, 404") << "read" << unit("nope", 404) << false << untouched << QByteArray("http_status = 404\n");
    QTest::newRow("list, at its limit") << "list" << unit(body(longest).toStdString()) << true << body(longest) << QByteArray();
    QTest::newRow("list, one over") << "list" << unit(body(longest + 1).toStdString()) << false << untouched << QByteArray();
    // A refused change prints nothing.
    QTest::newRow("change, 500") << "change" << unit("", 500) << false << untouched << QByteArray();
}

void TestTaviRestConfigControl::results()
{
    QFETCH(QString, request);
    QFETCH(QByteArray, reply);
    QFETCH(bool, result);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, diagnostic);

    ScriptedServer server([reply](Connection &c, const std::string &) { c.send(reply.toStdString()); });
    auto link = linkTo(server);
    std::string received = "untouched";
    LinkLogCapture captured;
    if (request == QLatin1String("change"))
        QCOMPARE(link->ChangeParam("eParamID_Vid0ColorHDRTint", "5"), result);
    else if (request == QLatin1String("list"))
        QCOMPARE(link->GetParam("eParamID_NetworkServices", received, "json", UnitIdentity::LongestServicesReply), result);
    else
        QCOMPARE(link->GetParam("eParamID_ProductID", received, "text-plain"), result);
    QVERIFY(QByteArray::fromStdString(received) == value);
    const QByteArray printed = QByteArray::fromStdString(captured.err());
    QVERIFY2(request == QLatin1String("change") ? printed.isEmpty() : printed.endsWith(diagnostic), printed.constData());
}

// The first connection ends or must not be used again after the first reply;
// the next request is answered on a new connection, and bytes left from the
// first never pass for its reply. A reply that stopped short or was cut is
// refused: part of a value is a wrong value.
void TestTaviRestConfigControl::nextRequestOnNewConnection_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("unasked"); // sent once the first reply was read, so they wait unread
    QTest::addColumn<bool>("unitCloses");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<bool>("linkClosed");

    QTest::newRow("bytes after a Connection: close reply") << unit("first", 200, "Connection: close\r\n") + unit("stale")
                                                           << QByteArray() << true << true << true;
    // A unit that restarts closes its idle connections without a word.
    QTest::newRow("idle connection closed by the unit") << unit("first") << QByteArray() << true << true << false;
    QTest::newRow("unasked reply in the same block") << unit("first") + unit("stale") << QByteArray() << false << true << false;
    QTest::newRow("unasked bytes without a status line") << unit("first") << QByteArray("\r\n42\r\n") << false << true << false;
    QTest::newRow("closed inside body") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n123") << QByteArray() << true
                                        << false << true;
}

void TestTaviRestConfigControl::nextRequestOnNewConnection()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, unasked);
    QFETCH(bool, unitCloses);
    QFETCH(bool, answered);
    QFETCH(bool, linkClosed);

    std::atomic<bool> firstRead{false}, firstSent{false};
    ScriptedServer server([&, first, unasked, unitCloses](Connection &c, const std::string &) {
        if (c.index() > 0) {
            c.send(ScriptedServer::unitReply("fresh"));
            return;
        }
        c.send(first.toStdString());
        const QDeadlineTimer patience(10000);
        while (!unasked.isEmpty() && !firstRead && !patience.hasExpired())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!unasked.isEmpty())
            c.send(unasked.toStdString());
        if (unitCloses)
            c.close();
        firstSent = true;
    });
    auto link = linkTo(server);
    std::string received = "untouched";
    LinkLogCapture quiet;
    QCOMPARE(link->GetParam("eParamID_SystemName", received, "text-plain"), answered);
    firstRead = true;
    QCOMPARE(received, std::string(answered ? "first" : "untouched"));
    if (linkClosed)
        QCOMPARE(link->socketHandle, -1);
    // Whatever the unit sent after the first reply is there before the next request.
    QTRY_VERIFY_WITH_TIMEOUT(firstSent.load(), 5000);
    QVERIFY(link->GetParam("eParamID_SystemName", received, "text-plain"));
    QCOMPARE(received, std::string("fresh"));
    QVERIFY(link->ChangeParam("eParamID_Vid0ColorHDRTint", "7"));
    QCOMPARE(server.connectionCount(), 2);
}

// A unit that never ends its reply (trailer lines as fast as it can send
// them) costs one reply time-out; while the back-off lasts every request
// fails at once, then the link tries again. (A unit that stops answering is
// the link check's stalled unit.)
void TestTaviRestConfigControl::endlessReplyGivesUp()
{
    // The unit stops by itself after a while, so a link that never gives up
    // shows as a slow failure rather than a test that never ends.
    constexpr int UnitGoesOnMs = 30000;
    ScriptedServer server([](Connection &c, const std::string &) {
        if (c.index() > 0) {
            c.send(ScriptedServer::unitReply("awake"));
            return;
        }
        QElapsedTimer sending;
        sending.start();
        const std::string batch = QByteArray("X-Trailer: 1\r\n").repeated(4000).toStdString();
        bool open = c.send("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n0\r\n");
        while (open && sending.elapsed() < UnitGoesOnMs)
            open = c.send(batch);
        c.close();
    });
    auto link = linkTo(server);
    std::string value = "untouched";
    QElapsedTimer clock;
    clock.start();
    {
        LinkLogCapture quiet;
        for (int i = 0; i < 28; ++i)
            QVERIFY(!link->GetParam("eParamID_SystemName", value, "text-plain"));
    }
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= TAVIRESTConfigControl::ReplyTimeoutMs - 50, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < UnitGoesOnMs / 3, qPrintable(QString::number(elapsed)));
    QCOMPARE(value, std::string("untouched"));
    QCOMPARE(link->socketHandle, -1);
    QCOMPARE(server.connectionCount(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(link->GetParam("eParamID_SystemName", value, "text-plain"), 5000);
    QCOMPARE(value, std::string("awake"));
    QVERIFY(!link->inBackoff());
}

// Shutting the program down must not wait out a unit's reply time-out: an
// interrupt from another thread ends the waiting request at once. A
// request that timed out would leave the link backing off.
void TestTaviRestConfigControl::interruptEndsAWaitingRequest()
{
    std::atomic<TAVIRESTConfigControl *> waiting{nullptr};
    ScriptedServer server([&waiting](Connection &, const std::string &) { waiting.load()->interrupt(); });
    auto link = linkTo(server);
    waiting = link.get();
    std::string value = "untouched";
    LinkLogCapture quiet;
    QVERIFY(!link->GetParam("eParamID_SystemName", value, "text-plain"));
    QVERIFY(!link->inBackoff());
    QCOMPARE(value, std::string("untouched"));
    QCOMPARE(link->socketHandle, -1);
}

// A refused connection leaves no socket and backs off: requests fail at
// once and quietly until the back-off has passed; the next failure shows and
// backs off again. (An unknown host is the program's start-up test's unit
// name not found.)
void TestTaviRestConfigControl::failedConnectBacksOff()
{
    // A port on which nothing listens any more.
    TAVIRESTConfigControl link("127.0.0.1", ScriptedServer([](Connection &, const std::string &) {}).port(), "config");
    std::string value;
    LinkLogCapture captured;
    QVERIFY(!link.GetParam("eParamID_SystemName", value, "text-plain"));
    QVERIFY(captured.err().find("ConfigControl::Connect - connect failed: ") != std::string::npos);
    QCOMPARE(link.socketHandle, -1);
    QVERIFY(link.inBackoff());
    const std::size_t diagnosticsAfterFirst = captured.err().size();
    for (int i = 0; i < 50; ++i)
        QVERIFY(!link.ChangeParam("eParamID_SystemName", "1"));
    QCOMPARE(captured.err().size(), diagnosticsAfterFirst);

    QTRY_VERIFY_WITH_TIMEOUT(!link.inBackoff(), 5000);
    QVERIFY(!link.GetParam("eParamID_SystemName", value, "text-plain"));
    QVERIFY(captured.err().size() > diagnosticsAfterFirst);
    QVERIFY(link.inBackoff());
}

QTEST_GUILESS_MAIN(TestTaviRestConfigControl)
#include "tst_tavirestconfigcontrol.moc"
