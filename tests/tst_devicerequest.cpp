#include "devicerequest.h"

#include <QtTest>

class TestDeviceRequest : public QObject
{
    Q_OBJECT

private slots:
    void take_data();
    void take();
    void fields_data();
    void fields();
};

using Take = DeviceRequest::Take;
Q_DECLARE_METATYPE(DeviceRequest::Take)

namespace {
const QByteArray programRead =
    "GET /config?action=get&configid=0&paramid=eParamID_SystemName&alt=text-plain HTTP/1.1\r\n"
    "Host: 127.0.0.11\r\nConnection: keep-alive\r\n"
    "Content-type: application/x-www-form-urlencoded\r\nContent-length: 0\r\n\r\n";
const QByteArray programSet = "GET /config?action=set&paramid=eParamID_Vid1ColorHDRGainRed&value=-250 HTTP/1.1\r\n"
                              "Host: 127.0.0.11\r\nConnection: keep-alive\r\n\r\n";
} // namespace

void TestDeviceRequest::take_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArrayList>("taken");
    QTest::addColumn<Take>("last");

    const QByteArray readLine = programRead.left(programRead.indexOf('\r'));
    const QByteArray setLine = programSet.left(programSet.indexOf('\r'));
    QTest::newRow("read and set back to back, third cut short")
        << programRead + programSet + programRead.left(40) << QByteArrayList{readLine, setLine} << Take::Incomplete;
    QTest::newRow("no version") << QByteArray("GET /config\r\n\r\n") << QByteArrayList{} << Take::Malformed;
    QTest::newRow("oversize head") << "GET / HTTP/1.1\r\nX: " + QByteArray(DeviceRequest::MaxHeadBytes, 'a') +
                                          "\r\n\r\n"
                                   << QByteArrayList{} << Take::TooLarge;
}

void TestDeviceRequest::take()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArrayList, taken);
    QFETCH(Take, last);

    QByteArrayList lines;
    DeviceRequest request;
    Take result;
    while ((result = DeviceRequest::take(input, request)) == Take::Complete)
        lines << request.requestLine();
    QCOMPARE(lines, taken);
    QCOMPARE(result, last);
}

void TestDeviceRequest::fields_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("keepAlive");

    QTest::newRow("program read") << programRead << QByteArray("paramid") << true << QByteArray("eParamID_SystemName")
                                  << true;
    QTest::newRow("percent-decoded, plus kept") << QByteArray("GET /config?value=%2D5%20+x HTTP/1.1\r\n\r\n")
                                                << QByteArray("value") << true << QByteArray("-5 +x") << true;
    QTest::newRow("client closes") << QByteArray("GET /config?a=1 HTTP/1.1\r\nconnection: Close\r\n\r\n")
                                   << QByteArray("a") << true << QByteArray("1") << false;
}

void TestDeviceRequest::fields()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, item);
    QFETCH(bool, present);
    QFETCH(QByteArray, value);
    QFETCH(bool, keepAlive);

    DeviceRequest request;
    QCOMPARE(DeviceRequest::take(input, request), Take::Complete);
    QCOMPARE(request.method(), QByteArray("GET"));
    QCOMPARE(request.path(), QByteArray("/config"));
    bool found = !present;
    QCOMPARE(request.queryItem(item, &found), value);
    QCOMPARE(found, present);
    QCOMPARE(request.keepAlive(), keepAlive);
}

QTEST_GUILESS_MAIN(TestDeviceRequest)
#include "tst_devicerequest.moc"
