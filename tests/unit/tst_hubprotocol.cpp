#include "hubcodec.h"
#include "hubcommanddecoder.h"
#include "hubmessageassembler.h"
#include "hubmessagebuilder.h"
#include "hubwords.h"

#include <QtTest>

// The hub wire format of the program's side: the messages it sends, the
// framing of what it receives, and the commands it reads from a body, the
// hub stand-in's messages among them.
class TestHubProtocol : public QObject
{
    Q_OBJECT

private slots:
    void messages_data();
    void messages();
    void displayTextCutToFit_data();
    void displayTextCutToFit();
    void reassembledFromAnySplit_data();
    void reassembledFromAnySplit();
    void framingFaults();
    void decode_data();
    void decode();
};

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Feeds the stream cut at the given offsets and lists what came out: bodies
// as they are, skipped and out-of-step messages with their length.
QStringList assemble(HubMessageAssembler &assembler, const QByteArray &stream, QList<int> cuts = {})
{
    QStringList out;
    int from = 0;
    cuts.append(stream.size());
    for (int end : cuts) {
        assembler.append(stream.mid(from, end - from));
        from = end;
        for (HubMessageAssembler::Result r; (r = assembler.next()) != HubMessageAssembler::Result::NeedMore;) {
            if (r == HubMessageAssembler::Result::Message)
                out << QString::fromLatin1(reinterpret_cast<const char *>(assembler.body()), int(assembler.bodyLength()));
            else
                out << QStringLiteral("%1 %2").arg(r == HubMessageAssembler::Result::Oversize ? "oversize" : "corrupt")
                           .arg(assembler.bodyLength());
        }
    }
    return out;
}

HubCommandDecoder::Result decoded(const QByteArray &body)
{
    return HubCommandDecoder::decode(reinterpret_cast<const uchar *>(body.constData()), quint32(body.size()));
}
} // namespace

void TestHubProtocol::messages_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    HubMessageBuilder b;
    b.appDefinition();
    QTest::newRow("application definition")
        << b.message() << hex("00000024 00000081 00000014") + "Marvendolquistraband" + hex("00000000 00000000");
    const quint32 two[] = {0x10, 0x20};
    b.panelRequests(two, 2);
    QTest::newRow("panel requests 0x10, 0x20") << b.message() << hex("00000010 000000A0 00000010 000000A0 00000020");
    b.panelRequests(nullptr, 0);
    QTest::newRow("no panels: an empty message") << b.message() << hex("00000000");
    const quint32 eleven[11] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    b.panelRequests(eleven, 11);
    QTest::newRow("at most ten panel requests") << b.message().left(4) << hex("00000050");
    b.parameterValue(7, 32767);
    QTest::newRow("parameter value 1.0") << b.message() << hex("00000010 00000082 00000007 3F800000 00000000");
    b.parameterValue(7, 0);
    QTest::newRow("parameter value 0.0") << b.message() << hex("00000010 00000082 00000007 00000000 00000000");
    b.menuString(3, 0);
    QTest::newRow("menu string A") << b.message() << hex("00000016 00000083 00000003 00000006") + "Menu A" + hex("00000001");
    b.menuString(3, 26 * 100 + 25);
    QTest::newRow("menu string Z") << b.message() << hex("00000016 00000083 00000003 00000006") + "Menu Z" + hex("00000001");
    b.modeValue(9);
    QTest::newRow("mode value") << b.message() << hex("00000008 00000085 00000009");
    b.displayWrite(5, 2, 16, "HDRAmoun", 8);
    QTest::newRow("display write")
        << b.message() << hex("00000020 000000A1 00000005 00000000 00000002 00000010 00000008") + "HDRAmoun";
}

void TestHubProtocol::messages()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestHubProtocol::displayTextCutToFit_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("kept");

    QTest::newRow("exactly the room") << QByteArray(1000, 'a') << 1000;
    // "é" is two bytes; the cut must not leave half of it.
    QTest::newRow("cut inside a UTF-8 sequence") << QByteArray(999, 'a') + QByteArray("\xC3\xA9xx") << 999;
    QTest::newRow("cut after a UTF-8 sequence") << QByteArray(998, 'a') + QByteArray("\xC3\xA9xx") << 1000;
}

void TestHubProtocol::displayTextCutToFit()
{
    QFETCH(QByteArray, text);
    QFETCH(int, kept);
    HubMessageBuilder b;
    QCOMPARE(int(b.displayWrite(1, 0, 0, text.constData(), quint32(text.size()))), kept);
    QCOMPARE(b.message(), words({quint32(24 + kept), 0xA1, 1, 0, 0, 0, quint32(kept)}) + text.left(kept));
}

void TestHubProtocol::reassembledFromAnySplit_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("three messages") << framed("first") + framed("second!") + framed("3") << QStringList{"first", "second!", "3"};
    QTest::newRow("empty message between") << framed("a") + framed("") + framed("b") << QStringList{"a", "", "b"};
    QTest::newRow("oversize between") << framed("a") + framed(QByteArray(1029, 'x')) + framed("b")
                                      << QStringList{"a", "oversize 1029", "b"};
    QTest::newRow("largest that fits") << framed(QByteArray(1028, 'y')) << QStringList{QString(1028, 'y')};
}

// Any single cut gives the same messages. (Delivery in pieces of any size,
// byte by byte among them, is the hub fuzz target's check against the whole.)
void TestHubProtocol::reassembledFromAnySplit()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, expected);
    for (int cut = 0; cut <= stream.size(); ++cut) {
        HubMessageAssembler a;
        const QStringList got = assemble(a, stream, {cut});
        QVERIFY2(got == expected && a.idle(), qPrintable(QStringLiteral("cut at %1: %2").arg(cut).arg(got.join(','))));
    }
}

void TestHubProtocol::framingFaults()
{
    // Half an oversize body, then a new connection drops the rest of it.
    HubMessageAssembler a;
    QCOMPARE(assemble(a, framed(QByteArray(3000, 'x')).left(2000)), QStringList{"oversize 3000"});
    QVERIFY(!a.idle());
    a.reset();
    QCOMPARE(assemble(a, framed("fresh")), QStringList{"fresh"});
    // A length no hub sends: out of step, and whatever followed it is gone.
    QCOMPARE(assemble(a, hex("00010000") + "garbage" + framed("lost")), QStringList{"corrupt 65536"});
    QVERIFY(a.idle());
    QCOMPARE(assemble(a, framed("next")), QStringList{"next"});
}

void TestHubProtocol::decode_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected"); // "id:item" and some fields per command, then how decoding ended

    const QByteArray down = words({0x31, 1, 4});
    QTest::newRow("empty body") << QByteArray() << "complete 0";
    QTest::newRow("several in order") << down + words({0x33, 1, 7}) + real(20) + words({0x32, 1, 4}) << "31:4 33:7 32:4 complete 0";
    QTest::newRow("unknown id ends the message") << down + words({0x0C, 1, 2}) + words({0x32, 1, 4}) << "31:4 unknown c";
    QTest::newRow("0x30 payload skipped") << words({0x30, 1, 2, 3, 4, 5, 6}) + down << "30:0 31:4 complete 0";
    QTest::newRow("every reply request") << words({0x02, 1}) + real(1) + words({0x03, 2, 0x04, 3, 0x05, 4, 1, 0x06, 5, 0x07, 6, 0x09, 7})
                                         << "2:1 3:2 4:3 5:4/1 6:5 7:6 9:7 complete 0";
    QTest::newRow("actions, transport, menu down") << words({0x08, 1, 0x0A, quint32(-2), 3, 0x0B, 1, 0x05, 8, quint32(-3)})
                                                   << "8:1 a:0/-2 b:1 5:8/-3 complete 0";
    QTest::newRow("encoder cut short") << down + words({0x33, 1, 7}) << "31:4 overrun 33";
    QTest::newRow("button cut short") << words({0x31, 1}) << "overrun 31";
    QTest::newRow("0x30 cut short") << words({0x30, 1, 2, 3, 4, 5}) << "overrun 30";
    QTest::newRow("half a command id") << down + QByteArray(2, '\0') << "31:4 overrun 0";
    QByteArray panels;
    for (quint32 i = 0; i < 10; ++i)
        panels += words({0x0C, 0x10 + i});
    QTest::newRow("greeting with the most panels") << words({0x01, 5, 10}) + panels << "1:0 rev 5, 10 panels, last c/19 complete 0";
    QTest::newRow("greeting list cut short") << words({0x01, 5, 2, 0xC, 0x10, 0xC}) << "overrun 1";
    QTest::newRow("greeting with 11 panels") << words({0x01, 5, 11}) + QByteArray(88, '\0') << "too many panels 1";
    QTest::newRow("greeting with a huge count") << words({0x01, 5, 0xFFFFFFFF}) << "too many panels 1";
    // The stand-in's requests, without their length word.
    QTest::newRow("stand-in's requests") << HubCodec::displayRefresh(6).mid(4) + HubCodec::parameterRequest(3).mid(4)
                                                + HubCodec::menuRequest(4).mid(4) + HubCodec::modeRequest(5).mid(4)
                                         << "34:0/6 4:3 7:4 9:5 complete 0";
    QTest::newRow("stand-in builds no greeting too long to send")
        << HubCodec::greeting(5, QVector<HubCodec::Panel>(600, {1, 1})) << "complete 0";
}

void TestHubProtocol::decode()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    const HubCommandDecoder::Result r = decoded(body);
    QStringList parts;
    for (const HubCommand &c : r.commands) {
        parts << QStringLiteral("%1:%2").arg(c.id, 0, 16).arg(c.itemId);
        if (c.id == HubCommandDecoder::Greeting)
            parts.last() += QStringLiteral(" rev %1, %2 panels, last %3/%4")
                                .arg(c.revision).arg(c.panelCount).arg(c.panelTypes[9], 0, 16).arg(c.panelIds[9], 0, 16);
        else if (c.id == HubCommandDecoder::MenuChange || c.id == HubCommandDecoder::Transport)
            parts.last() += QStringLiteral("/%1").arg(c.step);
        else if (c.id == HubCommandDecoder::PanelDisplayRefresh)
            parts.last() += QStringLiteral("/%1").arg(c.panelId);
    }
    static const char *const ends[] = {"complete", "unknown", "overrun", "too many panels"};
    parts << QStringLiteral("%1 %2").arg(QLatin1String(ends[int(r.end)])).arg(r.endCommandId, 0, 16);
    QCOMPARE(parts.join(QLatin1Char(' ')), expected);
}

QTEST_GUILESS_MAIN(TestHubProtocol)
#include "tst_hubprotocol.moc"
