#include "hubcommanddecoder.h"
#include "hubwords.h"

#include <QtTest>

class TestHubCommandDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void fields();
};

namespace {

// "id:item" per command, then the end.
QString summary(const HubCommandDecoder::Result &r)
{
    QStringList parts;
    for (const HubCommand &c : r.commands)
        parts << QStringLiteral("%1:%2").arg(c.id, 0, 16).arg(c.itemId);
    static const char *const ends[] = {"complete", "unknown", "overrun", "too many panels"};
    parts << QStringLiteral("%1 %2").arg(QLatin1String(ends[int(r.end)])).arg(r.endCommandId, 0, 16);
    return parts.join(QLatin1Char(' '));
}

} // namespace

void TestHubCommandDecoder::decode_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    const QByteArray down = words({0x31, 1, 4});
    const QByteArray encoder = words({0x33, 1, 7}) + real(20);
    QTest::newRow("empty body") << QByteArray() << "complete 0";
    QTest::newRow("several in order") << down + encoder + words({0x32, 1, 4}) << "31:4 33:7 32:4 complete 0";
    QTest::newRow("unknown id ends the message") << down + words({0x0C, 1, 2}) + words({0x32, 1, 4}) << "31:4 unknown c";
    QTest::newRow("0x30 payload skipped") << words({0x30, 1, 2, 3, 4, 5, 6}) + down << "30:0 31:4 complete 0";
    QTest::newRow("every reply request") << words({0x02, 1}) + real(1) + words({0x03, 2, 0x04, 3, 0x05, 4, 1, 0x06, 5, 0x07, 6, 0x09, 7})
                                          << "2:1 3:2 4:3 5:4 6:5 7:6 9:7 complete 0";
    QTest::newRow("actions and transport") << words({0x08, 1, 0x0A, 2, 3, 0x0B, 1}) << "8:1 a:0 b:1 complete 0";
    QTest::newRow("encoder cut short") << down + words({0x33, 1, 7}) << "31:4 overrun 33";
    QTest::newRow("button cut short") << words({0x31, 1}) << "overrun 31";
    QTest::newRow("0x30 cut short") << words({0x30, 1, 2, 3, 4, 5}) << "overrun 30";
    QTest::newRow("half a command id") << down + QByteArray(2, '\0') << "31:4 overrun 0";
    QTest::newRow("greeting list cut short") << words({0x01, 5, 2, 0xC, 0x10, 0xC}) << "overrun 1";
    QTest::newRow("greeting with 11 panels") << words({0x01, 5, 11}) + QByteArray(88, '\0') << "too many panels 1";
    QTest::newRow("greeting with a huge count") << words({0x01, 5, 0xFFFFFFFF}) << "too many panels 1";
}

void TestHubCommandDecoder::decode()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    QCOMPARE(summary(HubCommandDecoder::decode(reinterpret_cast<const uchar *>(body.constData()), quint32(body.size()))),
             expected);
}

void TestHubCommandDecoder::fields()
{
    QByteArray panels;
    for (quint32 i = 0; i < 10; ++i)
        panels += words({0x0C, 0x10 + i});
    const QByteArray body = words({0x01, 5, 10}) + panels + words({0x33, 9, 3}) + real(-2.5f)
                            + words({0x34, 5, 0x05, 8, quint32(-3)});
    const auto r = HubCommandDecoder::decode(reinterpret_cast<const uchar *>(body.constData()), quint32(body.size()));
    QCOMPARE(r.commands.size(), size_t(4));
    QCOMPARE(r.commands[0].revision, 5u);
    QCOMPARE(r.commands[0].panelCount, 10u);
    QCOMPARE(r.commands[0].panelIds[9], 0x19u);
    QCOMPARE(r.commands[0].panelTypes[9], 0x0Cu);
    QCOMPARE(r.commands[1].panelId, 9u);
    QCOMPARE(r.commands[1].itemId, 3u);
    QCOMPARE(r.commands[1].increment, -2.5f);
    QCOMPARE(r.commands[2].panelId, 5u);
    QCOMPARE(r.commands[3].itemId, 8u);
    QCOMPARE(r.commands[3].step, -3);
    QCOMPARE(r.end, HubCommandDecoder::End::Complete);
}

QTEST_GUILESS_MAIN(TestHubCommandDecoder)
#include "tst_hubcommanddecoder.moc"
