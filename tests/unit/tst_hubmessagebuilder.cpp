#include "hubmessagebuilder.h"

#include <QtTest>

class TestHubMessageBuilder : public QObject
{
    Q_OBJECT

private slots:
    void messages_data();
    void messages();
    void displayTextCutToFit_data();
    void displayTextCutToFit();
};

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace

void TestHubMessageBuilder::messages_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    HubMessageBuilder b;
    b.appDefinition();
    QTest::newRow("application definition") << b.message()
                                            << hex("00000024 00000081 00000014") + "Marvendolquistraband"
                                                   + hex("00000000 00000000");
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
    QTest::newRow("display write") << b.message()
                                   << hex("00000020 000000A1 00000005 00000000 00000002 00000010 00000008") + "HDRAmoun";
}

void TestHubMessageBuilder::messages()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestHubMessageBuilder::displayTextCutToFit_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("kept");

    QTest::newRow("exactly the room") << QByteArray(1000, 'a') << 1000;
    QTest::newRow("one byte too long") << QByteArray(1001, 'a') << 1000;
    QTest::newRow("far too long") << QByteArray(5000, 'a') << 1000;
    // "é" is two bytes; the cut must not leave half of it.
    QTest::newRow("cut inside a UTF-8 sequence") << QByteArray(999, 'a') + QByteArray("\xC3\xA9xx") << 999;
    QTest::newRow("cut after a UTF-8 sequence") << QByteArray(998, 'a') + QByteArray("\xC3\xA9xx") << 1000;
}

void TestHubMessageBuilder::displayTextCutToFit()
{
    QFETCH(QByteArray, text);
    QFETCH(int, kept);

    HubMessageBuilder b;
    QCOMPARE(int(b.displayWrite(1, 0, 0, text.constData(), quint32(text.size()))), kept);
    QCOMPARE(int(b.size()), 28 + kept);
    const QByteArray message = b.message();
    QCOMPARE(qFromBigEndian<quint32>(message.constData()), quint32(24 + kept));
    QCOMPARE(qFromBigEndian<quint32>(message.constData() + 24), quint32(kept));
    QCOMPARE(message.mid(28), text.left(kept));
}

QTEST_GUILESS_MAIN(TestHubMessageBuilder)
#include "tst_hubmessagebuilder.moc"
