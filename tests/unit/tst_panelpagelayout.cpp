#include "panelpagelayout.h"
#include "recordingsink.h"
#include "tangentwavedisplay.h"

#include <QtTest>

class TestPanelPageLayout : public QObject
{
    Q_OBJECT

private slots:
    void workedLines_data();
    void workedLines();
    void pageSends();
    void statusPage();
    void statusLines_data();
    void statusLines();
};

namespace {

PanelPageValues sample()
{
    PanelPageValues v;
    v.hdrAmount = 0.25;
    v.pqNitLevel = 1000;
    v.systemName = QStringLiteral("Prismo-1");
    v.versionText = QStringLiteral(" version 1.2.3.4");
    v.channel = 0;
    v.inRange = QStringLiteral("In");
    v.outRange = QStringLiteral("Out");
    v.monRange = QStringLiteral("Mon");
    return v;
}

QString lineOf(const tangentWaveDisplay &display, int line)
{
    QString text;
    for (int column = 0; column < 4; ++column)
        text += QLatin1String(display.cell(line, column));
    return text;
}

} // namespace

void TestPanelPageLayout::workedLines_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("adjust");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");

    QTest::newRow("page 0 heading") << 0 << true << 0 << "           Lift   Gamma   Gain  ";
    QTest::newRow("page 0 master") << 0 << true << 1 << "Master  0.000   1.000   1.000   ";
    QTest::newRow("page 1 HDR amount") << 1 << true << 0 << "HDRAmoun 0.250  SDR Preview Off ";
    QTest::newRow("page 1 Adjust off") << 1 << false << 2 << "LogLook  0.000  Adjust      Off ";
    QTest::newRow("page 2 PQ level") << 2 << true << 4 << "PQ Nit Level    1000            ";
}

void TestPanelPageLayout::workedLines()
{
    QFETCH(int, page);
    QFETCH(bool, adjust);
    QFETCH(int, line);
    QFETCH(QString, text);
    RecordingSink sink;
    tangentWaveDisplay display(&sink);
    PanelPageValues values = sample();
    values.adjust = adjust;
    PanelPageLayout::show(display, page, values);
    QCOMPARE(display.page(), page);
    QCOMPARE(lineOf(display, line), text);
}

// The value writers send their cells as they go, then every cell follows.
void TestPanelPageLayout::pageSends()
{
    RecordingSink sink;
    tangentWaveDisplay display(&sink);
    display.setCell(3, 3, "stale");
    PanelPageLayout::show(display, 0, sample());
    QCOMPARE(sink.writes.size(), 12 + 20);
    QCOMPARE(sink.writes.at(0), QStringLiteral("1,8:0.000   "));
    QCOMPARE(sink.writes.at(1), QStringLiteral("1,24:1.000   "));
    QCOMPARE(sink.writes.at(2), QStringLiteral("1,16:1.000   "));
    QCOMPARE(sink.writes.at(12), QStringLiteral("0,0:        "));
    QVERIFY(sink.writes.contains(QStringLiteral("3,24:1.000   ")));

    sink.writes.clear();
    PanelPageLayout::show(display, 1, sample());
    QCOMPARE(sink.writes.size(), 5 + 3 * 2 + 20);
    sink.writes.clear();
    PanelPageLayout::show(display, 4, sample());
    PanelPageLayout::show(display, -1, sample());
    QVERIFY(sink.writes.isEmpty());
    QCOMPARE(display.page(), 1);
}

void TestPanelPageLayout::statusPage()
{
    RecordingSink sink;
    tangentWaveDisplay display(&sink);
    display.setCell(0, 0, "kept");
    PanelPageLayout::show(display, 3, sample());
    QCOMPARE(sink.writes, (QStringList{
                              "0,0=Prismo-1       version 1.2.3.4  ",
                              "1,0=4K/UHD                          ",
                              "2,0=InDynRg  In                     ",
                              "3,0=OutDynRg Out                    ",
                              "4,0=MonDynRg Mon                    ",
                          }));
    // The layout clears the cells; the status page writes whole lines only.
    QCOMPARE(QByteArray(display.cell(0, 0)), QByteArray("        "));
}

void TestPanelPageLayout::statusLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("long name not cut") << PanelPageLayout::deviceLine(QStringLiteral("A-very-long-system-name"), QStringLiteral(" version 10.20.30.40"))
                                       << "A-very-long-system-name version 10.20.30.40";
    QTest::newRow("unknown channel") << PanelPageLayout::channelLine(9) << QString(32, QLatin1Char(' '));
    QTest::newRow("non-ASCII range name") << PanelPageLayout::inRangeLine(QStringLiteral("HLG→PQ"))
                                          << "InDynRg  HLG→PQ" + QString(17, QLatin1Char(' '));
}

void TestPanelPageLayout::statusLines()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(line, expected);
}

QTEST_GUILESS_MAIN(TestPanelPageLayout)
#include "tst_panelpagelayout.moc"
