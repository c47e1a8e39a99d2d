#include "panelpagelayout.h"
#include "recordingsink.h"
#include "tangentwavedisplay.h"

#include <QtTest>

#include <functional>

using PC = ParameterCatalogue;
using Writer = std::function<void(tangentWaveDisplay &)>;
Q_DECLARE_METATYPE(Writer)
Q_DECLARE_METATYPE(PanelPageValues)

// The panel display model, its writers and the four page layouts, as the
// display writes they send ("line,x:cell" for a cell, "line,x=text" for a
// whole status line).
class TestPanelDisplay : public QObject
{
    Q_OBJECT

private slots:
    void writers_data();
    void writers();
    void pages_data();
    void pages();
};

namespace {
const QString Blank8(8, QLatin1Char(' '));

Writer value(int slot, int position)
{
    return [=](tangentWaveDisplay &d) { PanelPageLayout::showValue(d, slot, position); };
}

PanelPageValues values(std::initializer_list<std::pair<int, int>> slotValues, const QString &systemName = "Prismo-1",
                       const QString &versionText = " version 1.2.3.4", int channel = 0)
{
    PanelPageValues v;
    for (const auto &[slot, position] : slotValues)
        v.values[std::size_t(slot)] = position;
    v.systemName = systemName;
    v.versionText = versionText;
    v.channel = channel;
    return v;
}

// The 20 cell writes that send the whole display, from its five lines.
QStringList flushOf(const QStringList &lines)
{
    QStringList writes;
    for (int line = 0; line < lines.size(); ++line)
        for (int x = 0; x < 32; x += 8)
            writes << QStringLiteral("%1,%2:%3").arg(line).arg(x).arg(lines[line].mid(x, 8));
    return writes;
}
} // namespace

// Each writer sends on its own page only; elsewhere it sends nothing and
// leaves the cells alone. (That a sent cell is kept shows in the page layouts.)
void TestPanelDisplay::writers_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("master lift -1") << 0 << value(PC::LiftMaster, -1000) << QStringList{"1,8:-1.000  "};
    QTest::newRow("Adjust off") << 1 << value(PC::ColorfrontMode, 0) << QStringList{"2,16:Adjust  ", "2,24:    Off "};
    QTest::newRow("value too wide, cut") << 2 << Writer([](tangentWaveDisplay &d) { d.showValue(2, 2, 2, "%5.3f", -12345.678); })
                                         << QStringList{"2,16:-12345.6"};
    QTest::newRow("status line in UTF-8") << 3 << Writer([](tangentWaveDisplay &d) { d.showStatusLine(4, QStringLiteral("Bühne")); })
                                          << QStringList{"4,0=Bühne"};
    QTest::newRow("line outside the display") << 2 << Writer([](tangentWaveDisplay &d) { d.showValue(2, 5, 2, "%5.3f", 1); })
                                              << QStringList();
}

void TestPanelDisplay::writers()
{
    QFETCH(int, page);
    QFETCH(Writer, writer);
    QFETCH(QStringList, sent);
    for (int shown = 0; shown < 4; ++shown) {
        RecordingSink sink;
        tangentWaveDisplay display(&sink);
        display.setPage(shown);
        writer(display);
        QCOMPARE(sink.writes, shown == page ? sent : QStringList());
        for (int cell = 0; cell < 20 && shown != page; ++cell)
            QCOMPARE(QString::fromLatin1(display.cell(cell / 4, cell % 4)), Blank8);
    }
}

// A page layout sends each value's cell as it writes it, then all 20 cells
// (pages 0 to 2), or the five status lines (page 3).
void TestPanelDisplay::pages_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<PanelPageValues>("values");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("page 0")
        << 0
        << values({{PC::LiftMaster, 0}, {PC::GammaMaster, 1000}, {PC::GainMaster, 1000}, {PC::LiftRed, -250},
                   {PC::GammaRed, 1100}, {PC::GainRed, 4500}, {PC::LiftGreen, 9}, {PC::GammaGreen, 2000},
                   {PC::GainGreen, 0}, {PC::LiftBlue, -1000}, {PC::GammaBlue, 500}, {PC::GainBlue, 5000}})
        << QStringList{"1,8:0.000   ", "1,24:1.000   ", "1,16:1.000   ", "2,8:-0.250  ", "2,24:4.500   ",
                       "2,16:1.100   ", "3,8:0.009   ", "3,24:0.000   ", "3,16:2.000   ", "4,8:-1.000  ",
                       "4,24:5.000   ", "4,16:0.500   "}
               + flushOf({"           Lift   Gamma   Gain  ", "Master  0.000   1.000   1.000   ",
                          "Red     -0.250  1.100   4.500   ", "Green   0.009   2.000   0.000   ",
                          "Blue    -1.000  0.500   5.000   "});
    QTest::newRow("page 1")
        << 1
        << values({{PC::Saturation, 1500}, {PC::SdrSoftness, 250}, {PC::HdrAmount, 250}, {PC::AmbLightComp, -1000},
                   {PC::LogLook, 500}, {PC::SdrPreview, 0}, {PC::ColorfrontMode, 0}, {PC::P3Clamp, 1}})
        << QStringList{"4,8: 1.500  ", "3,8: 0.250  ", "0,8: 0.250  ", "1,8: -1.000 ", "2,8: 0.500  ",
                       "0,16:SDR Prev", "0,24:iew Off ", "2,16:Adjust  ", "2,24:    Off ", "4,16:P3 Clamp",
                       "4,24:    On  "}
               + flushOf({"HDRAmoun 0.250  SDR Preview Off ", "AmbLight -1.000 " + Blank8 + Blank8,
                          "LogLook  0.500  Adjust      Off ", "SDRSoft  0.250  " + Blank8 + Blank8,
                          "Sat      1.500  P3 Clamp    On  "});
    QTest::newRow("page 2")
        << 2
        << values({{PC::Exposure, -4000}, {PC::ColorTemp, -10000}, {PC::Tint, 16000}, {PC::Bt2408, 1000},
                   {PC::PqNitLevel, 1000}})
        << QStringList{"0,16:-4.000  ", "1,16:-10.000 ", "2,16:16.000  ", "3,16:1.000   ", "4,16:1000    "}
               + flushOf({"Exposure        -4.000          ", "Col Temp        -10.000         ",
                          "Tint            16.000          ", "BT2408          1.000           ",
                          "PQ Nit Level    1000            "});
    // Line texts are left-justified to 32 characters and never cut.
    QTest::newRow("page 3") << 3 << values({{PC::InDynRange, 4}, {PC::OutDynRange, 8}, {PC::MonDynRange, 1}})
                            << QStringList{"0,0=Prismo-1       version 1.2.3.4  ", "1,0=4K/UHD " + QString(25, QLatin1Char(' ')),
                                           "2,0=InDynRg  Hybrid Log Gamma BT.2100", "3,0=OutDynRg Sony SLog3 BT.2020     ",
                                           "4,0=MonDynRg SDR Extended BT.709    "};
    QTest::newRow("page 3, never cut, characters counted")
        << 3 << values({}, "Bühne", " version 10.20.30.40", 9)
        << QStringList{"0,0=Bühne          version 10.20.30.40", "1,0=" + QString(32, QLatin1Char(' ')),
                       "2,0=InDynRg  SDR BT.709 100 Nits    ", "3,0=OutDynRg SDR BT.709 100 Nits    ",
                       "4,0=MonDynRg SDR BT.709 100 Nits    "};
    QTest::newRow("page 4: nothing") << 4 << values({}) << QStringList();
    QTest::newRow("page -1: nothing") << -1 << values({}) << QStringList();
}

void TestPanelDisplay::pages()
{
    QFETCH(int, page);
    QFETCH(PanelPageValues, values);
    QFETCH(QStringList, sent);
    RecordingSink sink;
    tangentWaveDisplay display(&sink);
    display.setPage(2);
    display.setCell(3, 3, "stale");
    PanelPageLayout::show(display, page, values);
    QCOMPARE(sink.writes, sent);
    const bool shown = page >= 0 && page < 4;
    QCOMPARE(display.page(), shown ? page : 2);
    QCOMPARE(QByteArray(display.cell(3, 3)) == "stale   ", !shown);
}

QTEST_GUILESS_MAIN(TestPanelDisplay)
#include "tst_paneldisplay.moc"
