#include "httpreplyreader.h"
#include "linklogcapture.h"
#include "memorybytesource.h"

#include <QtTest>

class TestHttpReplyReader : public QObject
{
    Q_OBJECT

private slots:
    void reply_data();
    void reply();
    void repliesSplitAtEveryByte_data();
    void repliesSplitAtEveryByte();
};

using Bytes = std::string;
Q_DECLARE_METATYPE(std::string)

namespace {
const Bytes ok = "HTTP/1.1 200 OK\r\n";
const Bytes chunked = ok + "Transfer-encoding: chunked\r\n\r\n";
const Bytes chunk800 = "800\r\n" + Bytes(0x800, 'c') + "\r\n";
} // namespace

// Status, body and how the reply ended: "whole" (it arrived as far as it
// is read), "cut" (its body was longer than the limit), "close" (the
// connection cannot carry another reply). A body that is not whole or was
// cut is not a value to use.
void TestHttpReplyReader::reply_data()
{
    QTest::addColumn<Bytes>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<Bytes>("body");
    QTest::addColumn<QString>("end");

    QTest::newRow("counted, over the limit") << ok + "Content-Length: 5000\r\n\r\n" + Bytes(5000, 'a') + "\r\n" << 200
                                             << Bytes(4096, 'a') << "whole cut close";
    QTest::newRow("chunked, trailer lines") << chunked + "3\r\nabc\r\n0\r\nX-Trailer: 1\r\n\r\n" << 200 << Bytes("abc") << "whole";
    QTest::newRow("chunked, exactly the limit") << chunked + chunk800 + chunk800 + "0\r\n\r\n" << 200 << Bytes(4096, 'c') << "whole";
    QTest::newRow("chunked, over the limit in many chunks") << chunked + chunk800 + chunk800 + "1\r\nx\r\n0\r\n\r\n" << 200
                                                            << Bytes(4096, 'c') << "whole cut close";
    QTest::newRow("chunked, ends inside the chunk over the limit") << chunked + chunk800 + "801\r\n" + Bytes(10, 'c') << 200
                                                                   << Bytes(0x800 + 10, 'c') << "cut close";
    QTest::newRow("oversize chunk") << chunked + "1001\r\n" + Bytes(4097, 'x') << -1 << Bytes() << "whole close";
    QTest::newRow("chunk size of 17 digits, low bits small") << chunked + "10000000000000003\r\nabc\r\n0\r\n\r\n" << -1
                                                             << Bytes() << "whole close";
    QTest::newRow("negative chunk size") << chunked + "-5\r\nabc" << -1 << Bytes() << "whole close";
    // Followed by more bytes, so that only the header can end the connection.
    QTest::newRow("connection close") << ok + "Connection: close\r\nContent-Length: 2\r\n\r\nok\r\n" + ok << 200 << Bytes("ok")
                                      << "whole close";
    QTest::newRow("HTTP/1.0 not recognised") << Bytes("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok\r\n") << 0 << Bytes("ok")
                                             << "whole";
    QTest::newRow("lower-case length header") << ok + "content-length: 3\r\n\r\nabc\r\n" << 200 << Bytes("abc") << "whole";
    QTest::newRow("carriage return inside a line") << Bytes("HTTP/1.1 2\r00 OK\r\nContent-Length: 1\r\r\n\r\nx\r\n") << 200
                                                   << Bytes("x") << "whole";
    // Part of a value is never taken for the value: a NUL in the body, or
    // more body than counted on a kept connection, refuses the reply.
    QTest::newRow("NUL in a counted body") << ok + Bytes("Content-Length: 5\r\n\r\n6\0 00\r\n", 28) << 200 << Bytes()
                                           << "close";
    QTest::newRow("NUL in a chunk") << chunked + Bytes("5\r\n6\0 00\r\n0\r\n\r\n", 15) << 200 << Bytes() << "close";
    QTest::newRow("body longer than counted") << ok + "Content-Length: 2\r\n\r\n1200\r\n" << 200 << Bytes() << "close";
    QTest::newRow("body longer than counted, closing") << ok + "Connection: close\r\nContent-Length: 2\r\n\r\n1200" << 200
                                                       << Bytes("12") << "whole close";
    QTest::newRow("negative length") << ok + "Content-Length: -1\r\n\r\n" << 200 << Bytes() << "whole";
    QTest::newRow("huge length") << ok + "Content-Length: 18446744073709551617\r\n\r\n" + Bytes(4096, 'z') << 200
                                 << Bytes(4096, 'z') << "whole cut close";
    // Which of two lengths counts cannot be told: the reply is not read.
    QTest::newRow("length headers disagree") << ok + "Content-Length: 4\r\nContent-Length: 2\r\n\r\n1400\r\n" << 200 << Bytes()
                                             << "close";
    QTest::newRow("length headers agree") << ok + "Content-Length: 4\r\ncontent-length: 04\r\n\r\n1400\r\n" << 200
                                          << Bytes("1400") << "whole";
    QTest::newRow("length beside chunked wins") << ok + "Transfer-encoding: chunked\r\nContent-Length: 3\r\n\r\n1\r\n\r\n" << 200
                                                << Bytes("1\r\n") << "whole";
    QTest::newRow("huge status") << Bytes("HTTP/1.1 99999999999999999999\r\n\r\n") << INT_MAX << Bytes() << "whole";
    // The head is bounded in lines (status line included) and in bytes (blank line included).
    const auto head = [](int lines, std::size_t padding) {
        Bytes bytes = ok + "X: " + Bytes(padding, 'p') + "\r\n";
        for (int i = 3; i < lines; ++i)
            bytes += "X: 1\r\n";
        return bytes + "Content-Length: 3\r\n\r\nabc\r\n";
    };
    QTest::newRow("head of 100 lines") << head(100, 1) << 200 << Bytes("abc") << "whole";
    QTest::newRow("head of 101 lines") << head(101, 1) << 200 << Bytes() << "close";
    QTest::newRow("head of 16384 bytes") << head(3, 16384 - 43) << 200 << Bytes("abc") << "whole";
    QTest::newRow("head of 16385 bytes") << head(3, 16385 - 43) << 200 << Bytes() << "close";
}

// The same in one block and byte by byte.
void TestHttpReplyReader::reply()
{
    QFETCH(Bytes, input);
    QFETCH(int, status);
    QFETCH(Bytes, body);
    QFETCH(QString, end);

    LinkLogCapture quiet;
    for (std::size_t piece : {std::size_t(1) << 20, std::size_t(1)}) {
        MemoryByteSource source(input, piece);
        HttpReplyReader reader(source);
        Bytes received = "previous";
        QCOMPARE(reader.readResponse(received), status);
        QCOMPARE(received, body);
        QStringList ended;
        if (reader.whole())
            ended << QStringLiteral("whole");
        if (reader.bodyCut())
            ended << QStringLiteral("cut");
        if (reader.mustClose())
            ended << QStringLiteral("close");
        QCOMPARE(ended.join(QLatin1Char(' ')), end);
    }
}

// Replies that follow each other on one kept connection each parse whole,
// whether a line end follows a counted body or not, in two blocks split at
// every byte or in pieces of one and of three bytes. Bytes of the next reply
// that come with this one are kept for it, not lost nor read as this one's.
void TestHttpReplyReader::repliesSplitAtEveryByte_data()
{
    QTest::addColumn<Bytes>("first");
    QTest::addColumn<Bytes>("firstBody");

    QTest::newRow("unit, counted body") << ok + "Content-Length: 5\r\n\r\nhello\r\n" << Bytes("hello");
    QTest::newRow("unit, bare line feed") << ok + "Content-Length: 5\r\n\r\nhello\n" << Bytes("hello");
    QTest::newRow("standard server") << ok + "Content-Length: 5\r\n\r\nhello" << Bytes("hello");
    QTest::newRow("zero length") << ok + "Content-Length: 0\r\n\r\n" << Bytes();
    QTest::newRow("chunked") << chunked + "2\r\nhe\r\n3\r\nllo\r\n0\r\n\r\n" << Bytes("hello");
}

void TestHttpReplyReader::repliesSplitAtEveryByte()
{
    QFETCH(Bytes, first);
    QFETCH(Bytes, firstBody);

    const Bytes wire = first + "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\ntwo\r\n";
    for (std::size_t split = 0; split <= wire.size() + 2; ++split) {
        // Past the end: pieces of one and of three bytes.
        MemoryByteSource source(wire, split <= wire.size() ? wire.size() : split - wire.size() == 1 ? 1 : 3);
        if (split <= wire.size())
            source.setArrivedUpTo(split);
        HttpReplyReader reader(source);
        Bytes body, second;
        const int firstStatus = reader.readResponse(body);
        const bool firstKept = !reader.mustClose();
        const std::size_t keptAfterFirst = reader.keptCount();
        const int secondStatus = reader.readResponse(second);
        // Arrived together, both came in one receive and the second was kept for its turn.
        const bool oneBlock = split != wire.size() || (source.receiveCount() == 1 && keptAfterFirst == wire.size() - first.size());
        // Only a line end after the last body that had not arrived with it is left.
        const std::size_t left = source.remaining() + reader.keptCount();
        QVERIFY2(firstStatus == 200 && body == firstBody && firstKept && secondStatus == 404 && second == "two" && oneBlock
                     && !reader.mustClose() && left <= 2 && wire.substr(wire.size() - left) == Bytes("\r\n").substr(2 - left),
                 qPrintable(QStringLiteral("split at %1").arg(split)));
    }
}

QTEST_GUILESS_MAIN(TestHttpReplyReader)
#include "tst_httpreplyreader.moc"
