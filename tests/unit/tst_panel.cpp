#include "chooserstepper.h"
#include "encoderaccumulator.h"
#include "panelcontrolmap.h"
#include "panelpagelayout.h"
#include "recordingsink.h"
#include "tangentwavedisplay.h"

#include <QtTest>

#include <functional>
#include <limits>
#include <utility>

using PC = ParameterCatalogue;
using Writer = std::function<void(tangentWaveDisplay &)>;
Q_DECLARE_METATYPE(Writer)
Q_DECLARE_METATYPE(PanelPageValues)

// The panel without a hub. The display model, its writers and the four page
// layouts, as the display writes they send ("line,x:cell" for a cell,
// "line,x=text" for a whole status line); what the encoders and buttons do:
// the shared encoder accumulator, the page and Adjust guards, the controls
// each page drives, and stepping through a chooser on the status page.
class TestPanel : public QObject
{
    Q_OBJECT

private slots:
    void writers_data();
    void writers();
    void pages_data();
    void pages();
    void accumulator_data();
    void accumulator();
    void encoderRoad_data();
    void encoderRoad();
    void buttonGuards();
    void stepping_data();
    void stepping();
};

namespace {
const QString Blank8(8, QLatin1Char(' '));

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

struct Turn
{
    int page;
    quint32 id;
    float increment;
};

using Chooser = PanelLayout::Chooser;
const std::pair<Chooser, QString> chooserNames[] = {{Chooser::Device, "device"}, {Chooser::Channel, "channel"},
                                                    {Chooser::InRange, "in"},     {Chooser::OutRange, "out"},
                                                    {Chooser::MonRange, "mon"}};

QString nameOf(const PanelLayout::Control &t)
{
    if (t.slot >= 0)
        return QLatin1String(PC::slot(t.slot).widget);
    for (const auto &[chooser, name] : chooserNames)
        if (chooser == t.chooser)
            return name;
    return QStringLiteral("-");
}

Chooser chooserNamed(const QString &name)
{
    for (const auto &[chooser, text] : chooserNames)
        if (name == text)
            return chooser;
    return Chooser::None;
}

QString move(int page, quint32 id, bool adjust, float increment, EncoderAccumulator &accumulator)
{
    const auto m = PanelControlMap::encoderMove(page, id, adjust, increment, accumulator);
    return m.step == 0 ? QStringLiteral("-") : QStringLiteral("%1 %2").arg(nameOf(m.target)).arg(m.step);
}

const QStringList four{"A", "B", "C", "D"};
} // namespace

Q_DECLARE_METATYPE(QList<Turn>)

// Each writer sends on its own page only; elsewhere it sends nothing and
// leaves the cells alone. (That a sent cell is kept shows in the page layouts.)
void TestPanel::writers_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("value too wide, cut") << 2 << Writer([](tangentWaveDisplay &d) { d.showValue(2, 2, 2, "%5.3f", -12345.678); })
                                         << QStringList{"2,16:-12345.6"};
    QTest::newRow("status line in UTF-8") << 3 << Writer([](tangentWaveDisplay &d) { d.showStatusLine(4, QStringLiteral("Bühne")); })
                                          << QStringList{"4,0=Bühne"};
    QTest::newRow("line outside the display") << 2 << Writer([](tangentWaveDisplay &d) { d.showValue(2, 5, 2, "%5.3f", 1); })
                                              << QStringList();
}

void TestPanel::writers()
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

// A page layout sends all 20 cells of pages 0 to 2, shown here as the
// display's five lines, or the five status lines of page 3 as it writes them.
void TestPanel::pages_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<PanelPageValues>("values");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("page 0")
        << 0
        << values({{PC::LiftMaster, 0}, {PC::GammaMaster, 1000}, {PC::GainMaster, 1000}, {PC::LiftRed, -250},
                   {PC::GammaRed, 1100}, {PC::GainRed, 4500}, {PC::LiftGreen, 9}, {PC::GammaGreen, 2000},
                   {PC::GainGreen, 0}, {PC::LiftBlue, -1000}, {PC::GammaBlue, 500}, {PC::GainBlue, 5000}})
        << QStringList{"           Lift   Gamma   Gain  ", "Master  0.000   1.000   1.000   ",
                       "Red     -0.250  1.100   4.500   ", "Green   0.009   2.000   0.000   ",
                       "Blue    -1.000  0.500   5.000   "};
    QTest::newRow("page 1")
        << 1
        << values({{PC::Saturation, 1500}, {PC::SdrSoftness, 250}, {PC::HdrAmount, 250}, {PC::AmbLightComp, -1000},
                   {PC::LogLook, 500}, {PC::SdrPreview, 0}, {PC::ColorfrontMode, 0}, {PC::P3Clamp, 1}})
        << QStringList{"HDRAmoun 0.250  SDR Preview Off ", "AmbLight -1.000 " + Blank8 + Blank8,
                       "LogLook  0.500  Adjust      Off ", "SDRSoft  0.250  " + Blank8 + Blank8,
                       "Sat      1.500  P3 Clamp    On  "};
    QTest::newRow("page 2")
        << 2
        << values({{PC::Exposure, -4000}, {PC::ColorTemp, -10000}, {PC::Tint, 16000}, {PC::Bt2408, 1000},
                   {PC::PqNitLevel, 1000}})
        << QStringList{"Exposure        -4.000          ", "Col Temp        -10.000         ",
                       "Tint            16.000          ", "BT2408          1.000           ",
                       "PQ Nit Level    1000            "};
    // Line texts are left-justified to 32 characters and never cut; a
    // channel outside the units' shows no name. (Channel names show in the
    // panel controller's test.)
    QTest::newRow("page 3") << 3
                            << values({{PC::InDynRange, 4}, {PC::OutDynRange, 8}, {PC::MonDynRange, 1}}, "Bühne",
                                      " version 10.20.30.40", 9)
                            << QStringList{"0,0=Bühne          version 10.20.30.40", "1,0=" + QString(32, QLatin1Char(' ')),
                                           "2,0=InDynRg  Hybrid Log Gamma BT.2100", "3,0=OutDynRg Sony SLog3 BT.2020     ",
                                           "4,0=MonDynRg SDR Extended BT.709    "};
    QTest::newRow("page 4: nothing") << 4 << values({}) << QStringList();
    QTest::newRow("page -1: nothing") << -1 << values({}) << QStringList();
}

void TestPanel::pages()
{
    QFETCH(int, page);
    QFETCH(PanelPageValues, values);
    QFETCH(QStringList, sent);
    RecordingSink sink;
    tangentWaveDisplay display(&sink);
    display.setPage(2);
    display.setCell(3, 3, "stale");
    PanelPageLayout::show(display, page, values);
    const bool cells = page >= 0 && page < 3;
    QCOMPARE(cells ? sink.lines : sink.writes, sent);
    const bool shown = page >= 0 && page < 4;
    QCOMPARE(display.page(), shown ? page : 2);
    QCOMPARE(QByteArray(display.cell(3, 3)) == "stale   ", !shown);
}

void TestPanel::accumulator_data()
{
    QTest::addColumn<QList<float>>("increments");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<float>("rest");

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("thresholds") << QList<float>{16, 26, 36, 81, 101, 25, 35, 80, 100}
                                << QList<int>{1, 25, 50, 500, 1000, 1, 25, 50, 500} << 0.0f;
    QTest::newRow("opposite turns cancel") << QList<float>{12, -12, -10, -10} << QList<int>{0, 0, 0, -1} << 0.0f;
    QTest::newRow("NaN ignored") << QList<float>{10, nan, 10} << QList<int>{0, 0, 1} << 0.0f;
    QTest::newRow("infinity ignored") << QList<float>{inf, -inf, 5} << QList<int>{0, 0, 0} << 5.0f;
}

void TestPanel::accumulator()
{
    QFETCH(QList<float>, increments);
    QFETCH(QList<int>, steps);
    QFETCH(float, rest);
    EncoderAccumulator accumulator;
    QList<int> got;
    for (float increment : increments)
        got << accumulator.feed(increment);
    QCOMPARE(got, steps);
    QCOMPARE(accumulator.sum(), rest);
}

void TestPanel::encoderRoad_data()
{
    QTest::addColumn<bool>("adjust");
    QTest::addColumn<QList<Turn>>("turns");
    QTest::addColumn<QStringList>("moves");

    QTest::newRow("shared between encoders") << true << QList<Turn>{{0, 0, 10}, {0, 3, 10}} << QStringList{"-", "redLiftSlider 1"};
    QTest::newRow("unmapped id clears the sum") << true << QList<Turn>{{1, 1, 20}, {1, 0, 10}, {1, 0, 10}}
                                                << QStringList{"-", "-", "hdrAmountSlider 1"};
    QTest::newRow("a switch has no encoder") << true << QList<Turn>{{1, 2, 20}} << QStringList{"-"};
    QTest::newRow("Adjust off, encoder 12 still adds up") << false << QList<Turn>{{0, 12, 10}, {3, 0, 10}}
                                                          << QStringList{"-", "device 1"};
    QTest::newRow("Adjust off, page 3 choosers work") << false << QList<Turn>{{3, 9, -20}} << QStringList{"out -1"};
    QTest::newRow("Adjust off, page 2 guarded") << false << QList<Turn>{{2, 0, 90}} << QStringList{"-"};
}

void TestPanel::encoderRoad()
{
    QFETCH(bool, adjust);
    QFETCH(QList<Turn>, turns);
    QFETCH(QStringList, moves);
    EncoderAccumulator accumulator;
    QStringList got;
    for (const Turn &t : turns)
        got << move(t.page, t.id, adjust, t.increment, accumulator);
    QCOMPARE(got, moves);
}

void TestPanel::buttonGuards()
{
    // Adjust off: page 0 takes only 12, page 1 only 2, 5 and 12, page 2 only 12, page 3 its choosers and 12;
    // a page outside 0 to 3 takes nothing.
    for (int page = -1; page < 5; ++page) {
        QString allowed;
        for (quint32 id = 0; id <= 14; ++id)
            if (PanelControlMap::buttonAllowed(page, id, false))
                allowed += QString::number(id) + QLatin1Char(' ');
        QCOMPARE(allowed, page == 0 || page == 2 ? "12 " : page == 1 ? "2 5 12 " : page == 3 ? "0 3 6 9 10 12 " : "");
        QVERIFY(!PanelControlMap::buttonAllowed(page, 14, true));
    }
    QCOMPARE(PanelControlMap::buttonAction(1, 5, false).target.slot, int(PC::ColorfrontMode));
    QCOMPARE(PanelControlMap::buttonAction(1, 0, false).kind, PanelControlMap::ButtonAction::None);
}

// Each turn: "<chooser>:<step>", ":commit" (its button) or ":time-out";
// each result: the outcome, for a move the pending index, the status line and
// its text (trimmed) with its length: device and range lines are padded to 32
// characters, channel lines to 30.
void TestPanel::stepping_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("turns");
    QTest::addColumn<QStringList>("results");

    // A large step moves one entry too.
    QTest::newRow("five turns of 1 move one entry, past the last") << four << 3
        << QStringList{"in:1", "in:1", "in:1", "in:1", "in:1", "in:1", "in:25"}
        << QStringList{"started", "accumulated", "accumulated", "accumulated", "accumulated",
                       "moved 0 line 2 **InDynRg  A (32)", "moved 1 line 2 **InDynRg  B (32)"};
    QTest::newRow("opposite steps cancel out; another chooser cancels, then starts") << four << 0
        << QStringList{"channel:1", "channel:4", "channel:-4", "channel:4", "in:1", "in:1"}
        << QStringList{"started", "accumulated", "accumulated", "accumulated", "cancelled", "started"};
    QTest::newRow("one entry cannot be stepped") << QStringList{"only"} << 0 << QStringList{"device:1", "device:25"}
                                                 << QStringList{"ignored", "ignored"};
    QTest::newRow("only the stepped chooser commits")
        << four << 1 << QStringList{"out:commit", "out:1", "out:5", "in:commit", "out:commit", "out:commit", "out:1"}
        << QStringList{"no commit", "started", "moved 2 line 3 **OutDynRg  C (32)", "no commit", "committed 2", "no commit",
                       "started"};
    // The next turn starts afresh from the chooser's current entry.
    QTest::newRow("a time-out drops the pending choice")
        << four << 3
        << QStringList{"channel:1", "channel:5", "channel:time-out", "channel:commit", "channel:1", "channel:5"}
        << QStringList{"started", "moved 0 line 1 **A (30)", "no commit", "started", "moved 0 line 1 **A (30)"};
    QTest::newRow("no current entry") << four << -1 << QStringList{"device:1", "device:-25"}
                                      << QStringList{"started", "moved 3 line 0 **D (32)"};
}

void TestPanel::stepping()
{
    QFETCH(QStringList, names);
    QFETCH(int, current);
    QFETCH(QStringList, turns);
    QFETCH(QStringList, results);
    static const char *const outcomes[] = {"ignored", "started", "accumulated", "moved", "cancelled"};
    ChooserStepper stepper;
    QStringList got;
    for (const QString &turn : turns) {
        const Chooser chooser = chooserNamed(turn.section(QLatin1Char(':'), 0, 0));
        QVERIFY2(chooser != Chooser::None, qPrintable(turn));
        const QString step = turn.section(QLatin1Char(':'), 1);
        if (step == QLatin1String("commit")) {
            const std::optional<int> committed = stepper.commit(chooser);
            got << (committed ? QStringLiteral("committed %1").arg(*committed) : QStringLiteral("no commit"));
            continue;
        }
        if (step == QLatin1String("time-out")) {
            stepper.cancel();
            continue;
        }
        const auto r = stepper.step(chooser, step.toDouble(), names, current);
        QString text = QLatin1String(outcomes[int(r.outcome)]);
        if (r.outcome == ChooserStepper::Outcome::Moved)
            text += QStringLiteral(" %1 line %2 %3 (%4)")
                        .arg(stepper.pending(chooser))
                        .arg(r.line)
                        .arg(r.lineText.trimmed())
                        .arg(r.lineText.size());
        got << text;
    }
    QCOMPARE(got, results);
}

QTEST_GUILESS_MAIN(TestPanel)
#include "tst_panel.moc"
