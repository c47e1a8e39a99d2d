#include "recordingsink.h"
#include "tangentwavedisplay.h"

#include <QtTest>

#include <functional>

class TestTangentWaveDisplay : public QObject
{
    Q_OBJECT

private slots:
    void cellRule_data();
    void cellRule();
    void writers_data();
    void writers();
    void writersSilentOnOtherPages();
    void channelNames();
};

using Writer = std::function<void(tangentWaveDisplay &)>;
Q_DECLARE_METATYPE(Writer)

void TestTangentWaveDisplay::cellRule_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("cell");
    QTest::newRow("short, padded") << QByteArray("Red") << QByteArray("Red     ");
    QTest::newRow("exactly 8") << QByteArray("P3 Clamp") << QByteArray("P3 Clamp");
    QTest::newRow("long, cut") << QByteArray("HDRAmount") << QByteArray("HDRAmoun");
    QTest::newRow("empty") << QByteArray("") << QByteArray("        ");
}

void TestTangentWaveDisplay::cellRule()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, cell);
    RecordingSink sink;
    tangentWaveDisplay display(&sink);
    display.setCell(2, 3, text.constData());
    QCOMPARE(QByteArray(display.cell(2, 3)), cell);
    display.setCell(5, 0, "outside");
    display.setCell(0, 4, "outside");
    display.setCell(-1, 0, "outside");
    QVERIFY(sink.writes.isEmpty());
    QVERIFY(!display.cell(5, 0));
}

void TestTangentWaveDisplay::writers_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("lift -1") << 0 << Writer([](tangentWaveDisplay &d) { d.showLift(1, -1); }) << QStringList{"1,8:-1.000  "};
    QTest::newRow("gain 4.5 row 3") << 0 << Writer([](tangentWaveDisplay &d) { d.showGain(3, 4.5); })
                                    << QStringList{"3,24:4.500   "};
    QTest::newRow("row 5 ignored") << 0 << Writer([](tangentWaveDisplay &d) { d.showGain(5, 1); }) << QStringList{};
    QTest::newRow("saturation") << 1 << Writer([](tangentWaveDisplay &d) { d.showSaturation(1.5); }) << QStringList{"4,8: 1.500  "};
    QTest::newRow("colour temperature -10") << 2 << Writer([](tangentWaveDisplay &d) { d.showColorTemp(-10); })
                                            << QStringList{"1,16:-10.000 "};
    QTest::newRow("value too wide, cut") << 2 << Writer([](tangentWaveDisplay &d) { d.showTint(-12345.678); })
                                         << QStringList{"2,16:-12345.6"};
    QTest::newRow("Adjust off") << 1 << Writer([](tangentWaveDisplay &d) { d.showAdjust("    Off"); })
                                << QStringList{"2,16:Adjust  ", "2,24:    Off "};
    QTest::newRow("switch without state") << 1 << Writer([](tangentWaveDisplay &d) { d.showP3Clamp(nullptr); })
                                          << QStringList{"4,16:P3 Clamp", "4,24:        "};
    QTest::newRow("status line") << 3 << Writer([](tangentWaveDisplay &d) { d.showMonRangeLine(QStringLiteral("MonDynRg x")); })
                                 << QStringList{"4,0=MonDynRg x"};
}

void TestTangentWaveDisplay::writers()
{
    QFETCH(int, page);
    QFETCH(Writer, writer);
    QFETCH(QStringList, sent);
    RecordingSink sink;
    tangentWaveDisplay display(&sink);
    display.setPage(page);
    writer(display);
    QCOMPARE(sink.writes, sent);
    // A sent cell is also kept.
    if (!sent.isEmpty() && sent.last().contains(QLatin1Char(':'))) {
        const QString last = sent.last();
        const int line = last.section(QLatin1Char(','), 0, 0).toInt();
        const int column = last.section(QLatin1Char(','), 1).section(QLatin1Char(':'), 0, 0).toInt() / 8;
        QCOMPARE(QString::fromLatin1(display.cell(line, column)), last.section(QLatin1Char(':'), 1));
    }
}

void TestTangentWaveDisplay::writersSilentOnOtherPages()
{
    const QList<QPair<int, Writer>> writers = {
        {0, [](tangentWaveDisplay &d) { d.showLift(1, 1); }},
        {1, [](tangentWaveDisplay &d) { d.showHdrAmount(1); }},
        {1, [](tangentWaveDisplay &d) { d.showAdjust("    On"); }},
        {2, [](tangentWaveDisplay &d) { d.showExposure(1); }},
        {3, [](tangentWaveDisplay &d) { d.showDeviceLine(QStringLiteral("x")); }},
        {3, [](tangentWaveDisplay &d) { d.showMonRangeLine(QStringLiteral("x")); }},
    };
    for (int page = 0; page < 4; ++page) {
        for (int i = 0; i < writers.size(); ++i) {
            RecordingSink sink;
            tangentWaveDisplay display(&sink);
            display.setPage(page);
            writers.at(i).second(display);
            const bool own = writers.at(i).first == page;
            QVERIFY2(sink.writes.isEmpty() != own, qPrintable(QStringLiteral("writer %1 on page %2").arg(i).arg(page)));
            if (!own)
                for (int line = 0; line < 5; ++line)
                    for (int column = 0; column < 4; ++column)
                        QCOMPARE(QByteArray(display.cell(line, column)), QByteArray("        "));
        }
    }
}

void TestTangentWaveDisplay::channelNames()
{
    QCOMPARE(tangentWaveDisplay::channelName(0), QStringLiteral("4K/UHD "));
    QCOMPARE(tangentWaveDisplay::channelName(4), QStringLiteral("Video 4"));
    QCOMPARE(tangentWaveDisplay::channelName(5), QString());
    QCOMPARE(tangentWaveDisplay::channelName(-1), QString());
}

QTEST_GUILESS_MAIN(TestTangentWaveDisplay)
#include "tst_tangentwavedisplay.moc"
