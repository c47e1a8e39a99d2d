#include "capturedoutput.h"
#include "httpreplyreader.h"
#include "memorybytesource.h"
#include "replybuilder.h"

#include <QtTest>

// Every reply form the simulated units send is read back with the program's
// own reply reader, followed by a second reply on the same connection.
class TestReplyBuilder : public QObject
{
    Q_OBJECT

private slots:
    void readByTheProgram_data();
    void readByTheProgram();
};

void TestReplyBuilder::readByTheProgram_data()
{
    QTest::addColumn<QString>("faults");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("closeAfter");
    QTest::addColumn<QByteArray>("wireTail");
    QTest::addColumn<QByteArray>("bodyRead");
    QTest::addColumn<bool>("connectionUsable");
    QTest::addColumn<int>("statusRead");

    const QByteArray gain = "1250";
    QTest::newRow("counted, line end after")
        << "none" << 200 << gain << false << QByteArray("\r\n\r\n1250\r\n") << gain << true << 200;
    QTest::newRow("standard, no line end")
        << "standard" << 200 << gain << false << QByteArray("\r\n\r\n1250") << gain << true << 200;
    QTest::newRow("empty body") << "none" << 200 << QByteArray() << false
                                << QByteArray("Content-Length: 0\r\nConnection: keep-alive\r\n\r\n") << QByteArray()
                                << true << 200;
    QTest::newRow("chunks of 3")
        << "chunked=3" << 200 << QByteArray("-16000") << false
        << QByteArray("Transfer-encoding: chunked\r\nConnection: keep-alive\r\n\r\n3\r\n-16\r\n3\r\n000\r\n0\r\n\r\n")
        << QByteArray("-16000") << true << 200;
    QTest::newRow("oversize counted body is cut") << "oversize" << 200 << gain << false << QByteArray(10, '#') + "\r\n"
                                                  << gain + QByteArray(4092, '#') << false << 200;
}

void TestReplyBuilder::readByTheProgram()
{
    QFETCH(QString, faults);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, closeAfter);
    QFETCH(QByteArray, wireTail);
    QFETCH(QByteArray, bodyRead);
    QFETCH(bool, connectionUsable);
    QFETCH(int, statusRead);

    FaultSettings settings;
    QString error;
    QVERIFY2(settings.apply(faults, &error), qPrintable(error));
    const QByteArray wire = ReplyBuilder::build({status, body, "text/plain"}, settings, closeAfter);
    QVERIFY2(wire.startsWith("HTTP/1.1 " + QByteArray::number(status) + ' '), wire.constData());
    QVERIFY2(wire.endsWith(wireTail), wire.right(100).constData());

    const QByteArray next = ReplyBuilder::build({200, "KVEL", "text/plain"}, FaultSettings(), false);
    MemoryByteSource source((wire + next).toStdString(), 7);
    HttpReplyReader reader(source);
    std::string read;
    const CapturedOutput output;
    QCOMPARE(reader.readResponse(read), statusRead);
    QCOMPARE(QByteArray::fromStdString(read), bodyRead);
    QCOMPARE(!reader.mustClose(), connectionUsable);
    if (connectionUsable) {
        QCOMPARE(reader.readResponse(read), 200);
        QCOMPARE(read, std::string("KVEL"));
        QCOMPARE(source.remaining(), std::size_t(0));
    }
}

QTEST_GUILESS_MAIN(TestReplyBuilder)
#include "tst_replybuilder.moc"
