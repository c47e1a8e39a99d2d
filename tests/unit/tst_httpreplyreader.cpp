#include "capturedoutput.h"
#include "httpreplyreader.h"
#include "memorybytesource.h"

#include <QtTest>

class TestHttpReplyReader : public QObject
{
    Q_OBJECT

private slots:
    void reply_data();
    void reply();
    void wholeOrCut_data();
    void wholeOrCut();
    void nextReplyKeptFromSameBlock();
    void repliesSplitAtEveryByte_data();
    void repliesSplitAtEveryByte();
    void diagnostics_data();
    void diagnostics();
    void endOfStreamAtEveryByte();
    void numberScanning_data();
    void numberScanning();
};

using Bytes = std::string;
Q_DECLARE_METATYPE(std::string)

void TestHttpReplyReader::reply_data()
{
    QTest::addColumn<Bytes>("input");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<int>("status");
    QTest::addColumn<Bytes>("body");
    QTest::addColumn<bool>("mustClose");

    const Bytes ok = "HTTP/1.1 200 OK\r\n";
    QTest::newRow("counted body") << ok + "Content-Length: 5\r\n\r\nhello\r\n" << 1 << 200 << Bytes("hello") << false;
    QTest::newRow("zero length") << ok + "Content-Length: 0\r\n\r\n" << 1 << 200 << Bytes() << false;
    QTest::newRow("no length, no body") << ok + "\r\n" << 1 << 200 << Bytes() << false;
    QTest::newRow("oversize body cut, connection done")
        << ok + "Content-Length: 5000\r\n\r\n" + Bytes(5000, 'a') + "\r\n" << 4096 << 200 << Bytes(4096, 'a') << true;
    QTest::newRow("chunked") << ok + "Transfer-encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n" << 1 << 200
                             << Bytes("hello world") << false;
    QTest::newRow("chunked, trailer lines") << ok + "Transfer-encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\nX-Trailer: 1\r\n\r\n"
                                            << 1 << 200 << Bytes("abc") << false;
    QTest::newRow("chunked, chunk cut short") << ok + "Transfer-encoding: chunked\r\n\r\n9\r\nabc" << 1 << 200 << Bytes("abc")
                                              << true;
    QTest::newRow("oversize chunk") << ok + "Transfer-encoding: chunked\r\n\r\n1001\r\n" + Bytes(4097, 'x') << 1 << -1 << Bytes()
                                    << true;
    QTest::newRow("chunk size ffffffff") << ok + "Transfer-encoding: chunked\r\n\r\nffffffff\r\nabc" << 1 << -1 << Bytes() << true;
    QTest::newRow("negative chunk size") << ok + "Transfer-encoding: chunked\r\n\r\n-5\r\nabc" << 1 << -1 << Bytes() << true;
    // Followed by more bytes, so that only the header can end the connection.
    QTest::newRow("connection close") << ok + "Connection: close\r\nContent-Length: 2\r\n\r\nok\r\n" + ok << 1 << 200
                                      << Bytes("ok") << true;
    QTest::newRow("HTTP/1.0 not recognised") << Bytes("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok\r\n") << 1 << 0
                                             << Bytes("ok") << false;
    QTest::newRow("lower-case length header") << ok + "content-length: 3\r\n\r\nabc\r\n" << 1 << 200 << Bytes("abc") << false;
    QTest::newRow("capitalised transfer encoding") << ok + "Transfer-Encoding: chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n" << 1 << 200
                                                   << Bytes("ab") << false;
    QTest::newRow("carriage return inside a line") << Bytes("HTTP/1.1 2\r00 OK\r\nContent-Length: 1\r\r\n\r\nx\r\n") << 1 << 200
                                                   << Bytes("x") << false;
    QTest::newRow("NUL in body cuts it") << ok + Bytes("Content-Length: 5\r\n\r\nab\0cd\r\n", 28) << 1 << 200 << Bytes("ab")
                                         << false;
    QTest::newRow("peer closes inside headers") << ok + "Content-Le" << 1 << 200 << Bytes() << true;
    QTest::newRow("peer closes inside body") << ok + "Content-Length: 10\r\n\r\nabc" << 1 << 200 << Bytes("abc") << true;
    QTest::newRow("nothing at all") << Bytes() << 1 << 0 << Bytes() << true;
    QTest::newRow("negative length") << ok + "Content-Length: -1\r\n\r\n" << 1 << 200 << Bytes() << false;
    QTest::newRow("huge length") << ok + "Content-Length: 18446744073709551617\r\n\r\n" + Bytes(4096, 'z') << 4096 << 200
                                 << Bytes(4096, 'z') << true;
    // Which of two lengths counts cannot be told: the reply is not read.
    QTest::newRow("length headers disagree") << ok + "Content-Length: 4\r\nContent-Length: 2\r\n\r\n1400\r\n" << 1 << 200
                                             << Bytes() << true;
    QTest::newRow("length headers agree") << ok + "Content-Length: 4\r\ncontent-length: 04\r\n\r\n1400\r\n" << 1 << 200
                                          << Bytes("1400") << false;
    QTest::newRow("length beside chunked wins") << ok + "Transfer-encoding: chunked\r\nContent-Length: 3\r\n\r\n1\r\n\r\n" << 1
                                                << 200 << Bytes("1\r\n") << false;
    QTest::newRow("huge status") << Bytes("HTTP/1.1 99999999999999999999\r\n\r\n") << 1 << INT_MAX << Bytes() << false;
    QTest::newRow("header line of 100 KB") << ok + "X: " + Bytes(100000, 'a') + "\r\n\r\n" << 4096 << 200 << Bytes() << true;
}

void TestHttpReplyReader::reply()
{
    QFETCH(Bytes, input);
    QFETCH(int, pieceSize);
    QFETCH(int, status);
    QFETCH(Bytes, body);
    QFETCH(bool, mustClose);

    CapturedOutput quiet;
    MemoryByteSource source(input, static_cast<std::size_t>(pieceSize));
    HttpReplyReader reader(source);
    Bytes received = "previous";
    QCOMPARE(reader.readResponse(received), status);
    QCOMPARE(received, body);
    QCOMPARE(reader.mustClose(), mustClose);
}

// Whether a reply arrived to its end and whether its body had to be cut at
// the limit: a body that is not whole or was cut is not a value to use.
void TestHttpReplyReader::wholeOrCut_data()
{
    QTest::addColumn<Bytes>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("bodySize");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<bool>("cut");

    const Bytes ok = "HTTP/1.1 200 OK\r\n";
    const Bytes chunked = ok + "Transfer-encoding: chunked\r\n\r\n";
    const Bytes chunk = "800\r\n" + Bytes(0x800, 'c') + "\r\n";
    QTest::newRow("counted") << ok + "Content-Length: 3\r\n\r\nabc\r\n" << 200 << 3 << true << false;
    QTest::newRow("counted, over the limit") << ok + "Content-Length: 4097\r\n\r\n" + Bytes(4097, 'a') << 200 << 4096 << true
                                             << true;
    QTest::newRow("counted, stream ends inside") << ok + "Content-Length: 10\r\n\r\nabc" << 200 << 3 << false << false;
    QTest::newRow("stream ends inside headers") << ok + "Content-Le" << 200 << 0 << false << false;
    QTest::newRow("stream ends before the blank line") << ok + "Content-Length: 0\r\n" << 200 << 0 << false << false;
    QTest::newRow("chunked") << chunked + "3\r\nabc\r\n0\r\n\r\n" << 200 << 3 << true << false;
    QTest::newRow("chunked, exactly the limit") << chunked + chunk + chunk + "0\r\n\r\n" << 200 << 4096 << true << false;
    QTest::newRow("chunked, over the limit in many chunks")
        << chunked + chunk + chunk + "1\r\nx\r\n0\r\n\r\n" << 200 << 4096 << true << true;
    QTest::newRow("chunked, stream ends inside the chunk over the limit")
        << chunked + chunk + "801\r\n" + Bytes(10, 'c') << 200 << 0x800 + 10 << false << true;
    QTest::newRow("chunked, no last chunk") << chunked + "3\r\nabc\r\n" << 200 << 3 << false << false;
    QTest::newRow("chunked, no blank line after the last chunk") << chunked + "3\r\nabc\r\n0\r\n" << 200 << 3 << false
                                                                 << false;
    QTest::newRow("chunk size ffffffffffffffff") << chunked + "ffffffffffffffff\r\nabc" << -1 << 0 << true << false;
    // The head is bounded in lines (status line included) and in bytes (blank line included).
    const auto head = [&ok](int lines, std::size_t padding) {
        Bytes bytes = ok + "X: " + Bytes(padding, 'p') + "\r\n";
        for (int i = 3; i < lines; ++i)
            bytes += "X: 1\r\n";
        return bytes + "Content-Length: 3\r\n\r\nabc\r\n";
    };
    QTest::newRow("head of 100 lines") << head(100, 1) << 200 << 3 << true << false;
    QTest::newRow("head of 101 lines") << head(101, 1) << 200 << 0 << false << false;
    QTest::newRow("head of 16384 bytes") << head(3, 16384 - 43) << 200 << 3 << true << false;
    QTest::newRow("head of 16385 bytes") << head(3, 16385 - 43) << 200 << 0 << false << false;
    QTest::newRow("length headers disagree") << ok + "Content-Length: 3\r\nContent-Length: 1\r\n\r\nabc\r\n" << 200 << 0
                                             << false << false;
    QTest::newRow("chunk size of 17 digits, low bits small")
        << chunked + "10000000000000003\r\nabc\r\n0\r\n\r\n" << -1 << 0 << true << false;
}

void TestHttpReplyReader::wholeOrCut()
{
    QFETCH(Bytes, input);
    QFETCH(int, status);
    QFETCH(int, bodySize);
    QFETCH(bool, whole);
    QFETCH(bool, cut);

    CapturedOutput quiet;
    MemoryByteSource source(input, 1000);
    HttpReplyReader reader(source);
    Bytes body;
    QCOMPARE(reader.readResponse(body), status);
    QCOMPARE(body.size(), static_cast<std::size_t>(bodySize));
    QCOMPARE(reader.whole(), whole);
    QCOMPARE(reader.bodyCut(), cut);
    if (!whole || cut)
        QVERIFY(reader.mustClose());
}

// A reply is received in blocks; bytes of the next reply that come in the
// same block are kept for it, not lost and not read as part of this one.
void TestHttpReplyReader::nextReplyKeptFromSameBlock()
{
    const Bytes first = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\none\r\n";
    const Bytes second = "HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n3\r\ntwo\r\n0\r\n\r\n";
    MemoryByteSource source(first + second);
    HttpReplyReader reader(source);
    Bytes body;
    QCOMPARE(reader.readResponse(body), 200);
    QCOMPARE(body, Bytes("one"));
    QCOMPARE(reader.bytesReceived(), first.size());
    QCOMPARE(reader.keptCount(), second.size());
    QCOMPARE(source.receiveCount(), 1);
    QCOMPARE(reader.readResponse(body), 200);
    QCOMPARE(body, Bytes("two"));
    QCOMPARE(reader.keptCount(), std::size_t(0));
    QCOMPARE(source.receiveCount(), 1);
    reader.discardKept();
}

// Replies that follow each other on one kept connection must each parse
// whole, whether the server follows a counted body with a line end or not.
// Two replies arrive in two blocks, split at every byte: the first reply
// ends wherever the split falls (a line end after a body may come with the
// next block), and the second still parses whole. The same replies byte by
// byte, or in pieces of three, parse the same.
void TestHttpReplyReader::repliesSplitAtEveryByte_data()
{
    QTest::addColumn<Bytes>("first");
    QTest::addColumn<Bytes>("firstBody");

    QTest::newRow("unit, counted body") << Bytes("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello\r\n") << Bytes("hello");
    QTest::newRow("unit, bare line feed") << Bytes("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello\n") << Bytes("hello");
    QTest::newRow("standard server") << Bytes("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello") << Bytes("hello");
    QTest::newRow("zero length") << Bytes("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n") << Bytes();
    QTest::newRow("chunked") << Bytes("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n2\r\nhe\r\n3\r\nllo\r\n0\r\n\r\n")
                             << Bytes("hello");
}

void TestHttpReplyReader::repliesSplitAtEveryByte()
{
    QFETCH(Bytes, first);
    QFETCH(Bytes, firstBody);

    const Bytes second = "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\ntwo\r\n";
    const Bytes wire = first + second;
    const auto check = [&](MemoryByteSource &source, const QString &what) {
        HttpReplyReader reader(source);
        Bytes body;
        QVERIFY2(reader.readResponse(body) == 200, qPrintable(what));
        QVERIFY2(body == firstBody, qPrintable(what));
        QVERIFY2(!reader.mustClose(), qPrintable(what));
        QVERIFY2(reader.readResponse(body) == 404, qPrintable(what));
        QVERIFY2(body == "two", qPrintable(what));
        QVERIFY2(!reader.mustClose(), qPrintable(what));
        // Only a line end after the last body that had not arrived with it is left.
        const std::size_t left = source.remaining() + reader.keptCount();
        QVERIFY2(left <= 2 && wire.substr(wire.size() - left) == Bytes("\r\n").substr(2 - left), qPrintable(what));
    };
    for (std::size_t split = 0; split <= wire.size(); ++split) {
        MemoryByteSource source(wire);
        source.setArrivedUpTo(split);
        check(source, QStringLiteral("split at %1").arg(split));
    }
    for (std::size_t piece : {1, 3}) {
        MemoryByteSource source(wire, piece);
        check(source, QStringLiteral("pieces of %1").arg(piece));
    }
}

void TestHttpReplyReader::diagnostics_data()
{
    QTest::addColumn<Bytes>("input");
    QTest::addColumn<Bytes>("out");
    QTest::addColumn<Bytes>("err");

    QTest::newRow("status inside another line")
        << Bytes("HTTP/1.1 200 OK\r\nX-Via: proxy HTTP/1.1 500\r\n\r\n") << Bytes("bogus http status parse\n") << Bytes();
    QTest::newRow("status without number") << Bytes("HTTP/1.1 OK\r\n\r\n") << Bytes("bogus http status parse\n") << Bytes();
    QTest::newRow("empty length") << Bytes("HTTP/1.1 200 OK\r\nContent-Length: \r\n\r\n") << Bytes("bogus content-length parse\n")
                                  << Bytes();
    QTest::newRow("oversize body")
        << Bytes("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n") << Bytes()
        << Bytes("WARNING: truncating response data - server response was too large. content length (5000), "
                 "MAX_RESPONSE_BUFFER_SIZE (4096)\n");
    QTest::newRow("oversize chunk")
        << Bytes("HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n1001\r\n") << Bytes()
        << Bytes("ERROR: truncating chunked response data - server response was too large. chunk_size (4097), "
                 "MAX_RESPONSE_BUFFER_SIZE (4096)\n");
}

void TestHttpReplyReader::diagnostics()
{
    QFETCH(Bytes, input);
    QFETCH(Bytes, out);
    QFETCH(Bytes, err);

    CapturedOutput captured;
    MemoryByteSource source(input);
    HttpReplyReader reader(source);
    Bytes body;
    reader.readResponse(body);
    QCOMPARE(captured.out(), out);
    QCOMPARE(captured.err(), err);
}

// A peer may close the connection at any byte of a reply: reading always
// ends, never reads beyond what arrived and never keeps the connection.
void TestHttpReplyReader::endOfStreamAtEveryByte()
{
    // Each reply with the length from which it counts as whole: the line end
    // after a counted body is not part of the reply.
    const std::pair<Bytes, std::size_t> replies[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello\r\n", 43},
        {"HTTP/1.1 200 OK\r\nTransfer-encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", 73},
    };
    CapturedOutput quiet;
    for (const auto &[reply, wholeFrom] : replies) {
        for (std::size_t cut = 0; cut < reply.size(); ++cut) {
            MemoryByteSource source(reply.substr(0, cut));
            HttpReplyReader reader(source);
            Bytes body;
            reader.readResponse(body);
            QVERIFY2(reader.mustClose() || cut >= reply.size() - 2, qPrintable(QString::number(cut)));
            QVERIFY2(reader.whole() == (cut >= wholeFrom), qPrintable(QString::number(cut)));
            QVERIFY(body.size() <= 11);
            QCOMPARE(source.remaining(), std::size_t(0));
        }
    }
}

void TestHttpReplyReader::numberScanning_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("found");
    QTest::addColumn<qlonglong>("value");

    QTest::newRow("plain") << QByteArray("42") << false << true << 42LL;
    QTest::newRow("blanks and sign") << QByteArray("  -17abc") << false << true << -17LL;
    QTest::newRow("no digits") << QByteArray("abc") << false << false << 0LL;
    QTest::newRow("saturates") << QByteArray("99999999999999999999999") << false << true << LLONG_MAX;
    QTest::newRow("hex") << QByteArray("1F") << true << true << 31LL;
    QTest::newRow("hex with prefix") << QByteArray("0x10") << true << true << 16LL;
    QTest::newRow("hex not a number") << QByteArray("zz") << true << false << 0LL;
    QTest::newRow("hex saturates") << QByteArray("ffffffffffffffffff") << true << true << LLONG_MAX;
}

void TestHttpReplyReader::numberScanning()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, hex);
    QFETCH(bool, found);
    QFETCH(qlonglong, value);

    long long scanned = 0;
    QCOMPARE(hex ? HttpReplyReader::scanHex(text.constData(), scanned) : HttpReplyReader::scanDecimal(text.constData(), scanned),
             found);
    if (found)
        QCOMPARE(static_cast<qlonglong>(scanned), value);
}

QTEST_GUILESS_MAIN(TestHttpReplyReader)
#include "tst_httpreplyreader.moc"
