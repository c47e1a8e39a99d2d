#include "chooserstepper.h"
#include "encoderaccumulator.h"
#include "panelcontrolmap.h"
#include "parametercatalogue.h"

#include <QtTest>

#include <limits>
#include <utility>

// What the panel's encoders and buttons do: the shared encoder accumulator,
// the page and Adjust guards, the controls each page drives, and stepping
// through a chooser on the status page.
class TestPanelInput : public QObject
{
    Q_OBJECT

private slots:
    void accumulator_data();
    void accumulator();
    void encoderRoad_data();
    void encoderRoad();
    void controls_data();
    void controls();
    void buttonGuards();
    void stepping_data();
    void stepping();
};

namespace {
struct Turn
{
    int page;
    quint32 id;
    float increment;
};

using Chooser = PanelLayout::Chooser;

QString nameOf(const PanelLayout::Control &t)
{
    if (t.slot >= 0)
        return QLatin1String(ParameterCatalogue::slot(t.slot).widget);
    switch (t.chooser) {
    case Chooser::Device: return QStringLiteral("device");
    case Chooser::Channel: return QStringLiteral("channel");
    case Chooser::InRange: return QStringLiteral("input range");
    case Chooser::OutRange: return QStringLiteral("output range");
    case Chooser::MonRange: return QStringLiteral("monitor range");
    case Chooser::None: break;
    }
    return QStringLiteral("-");
}

// A chooser as a stepping row names it; None for any other name.
Chooser chooserNamed(const QString &name)
{
    static const std::pair<const char *, Chooser> named[] = {{"device", Chooser::Device}, {"channel", Chooser::Channel},
                                                             {"in", Chooser::InRange},    {"out", Chooser::OutRange},
                                                             {"mon", Chooser::MonRange}};
    for (const auto &[text, chooser] : named)
        if (name == QLatin1String(text))
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

void TestPanelInput::accumulator_data()
{
    QTest::addColumn<QList<float>>("increments");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<float>("rest");

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("15 is not yet a step") << QList<float>{15} << QList<int>{0} << 15.0f;
    QTest::newRow("thresholds") << QList<float>{16, 26, 36, 81, 101, 25, 35, 80, 100}
                                << QList<int>{1, 25, 50, 500, 1000, 1, 25, 50, 500} << 0.0f;
    QTest::newRow("opposite turns cancel") << QList<float>{12, -12, -10, -10} << QList<int>{0, 0, 0, -1} << 0.0f;
    QTest::newRow("NaN ignored") << QList<float>{10, nan, 10} << QList<int>{0, 0, 1} << 0.0f;
    QTest::newRow("infinity ignored") << QList<float>{inf, -inf, 5} << QList<int>{0, 0, 0} << 5.0f;
}

void TestPanelInput::accumulator()
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

void TestPanelInput::encoderRoad_data()
{
    QTest::addColumn<bool>("adjust");
    QTest::addColumn<QList<Turn>>("turns");
    QTest::addColumn<QStringList>("moves");

    QTest::newRow("10 then 10 on master lift") << true << QList<Turn>{{0, 0, 10}, {0, 0, 10}} << QStringList{"-", "masterLiftSlider 1"};
    QTest::newRow("shared between encoders") << true << QList<Turn>{{0, 0, 10}, {0, 3, 10}} << QStringList{"-", "redLiftSlider 1"};
    QTest::newRow("unmapped id clears the sum") << true << QList<Turn>{{1, 1, 20}, {1, 0, 10}, {1, 0, 10}}
                                                << QStringList{"-", "-", "hdrAmountSlider 1"};
    QTest::newRow("a switch has no encoder") << true << QList<Turn>{{1, 2, 20}} << QStringList{"-"};
    QTest::newRow("Adjust off, page 0: nothing adds up") << false << QList<Turn>{{0, 0, 10}, {0, 0, 10}, {0, 0, 10}}
                                                        << QStringList{"-", "-", "-"};
    QTest::newRow("Adjust off, encoder 12 still adds up") << false << QList<Turn>{{0, 12, 10}, {3, 0, 10}}
                                                          << QStringList{"-", "device 1"};
    QTest::newRow("Adjust off, page 3 choosers work") << false << QList<Turn>{{3, 9, -20}} << QStringList{"output range -1"};
    QTest::newRow("Adjust off, page 2 guarded") << false << QList<Turn>{{2, 0, 90}} << QStringList{"-"};
}

void TestPanelInput::encoderRoad()
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

// What encoder and button `id` of a page drive, with Adjust on.
void TestPanelInput::controls_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QString>("encoder");
    QTest::addColumn<QString>("button");

    // One of each kind: a slider, a switch, a chooser and a control a page leaves free.
    QTest::newRow("0/4") << 0 << 4u << "redGammaSlider 1" << "reset redGammaSlider 1000";
    QTest::newRow("1/6") << 1 << 6u << "lookSlider 1" << "reset lookSlider 500";
    QTest::newRow("1/5") << 1 << 5u << "-" << "toggle adjustGroupBox";
    QTest::newRow("2/10") << 2 << 10u << "pqoutnitLevelSlider 1" << "reset pqoutnitLevelSlider 1000";
    QTest::newRow("3/0") << 3 << 0u << "device 1" << "commit device";
    QTest::newRow("3/9") << 3 << 9u << "output range 1" << "commit output range";
    QTest::newRow("3/11") << 3 << 11u << "-" << "none";
    QTest::newRow("12 turns the page") << 3 << 12u << "-" << "next page";
    QTest::newRow("13 double press") << 0 << 13u << "-" << "double press";
    QTest::newRow("page 4 ignored") << 4 << 0u << "-" << "none";
}

void TestPanelInput::controls()
{
    QFETCH(int, page);
    QFETCH(quint32, id);
    QFETCH(QString, encoder);
    QFETCH(QString, button);
    EncoderAccumulator accumulator;
    QCOMPARE(move(page, id, true, 20, accumulator), encoder);

    using A = PanelControlMap::ButtonAction;
    const A a = PanelControlMap::buttonAction(page, id, true);
    static const char *const kinds[] = {"none", "reset", "toggle", "commit", "next page", "double press"};
    QString got = QLatin1String(kinds[a.kind]);
    if (a.kind == A::ResetSlider || a.kind == A::Toggle || a.kind == A::Commit)
        got += QLatin1Char(' ') + nameOf(a.target);
    if (a.kind == A::ResetSlider)
        got += QStringLiteral(" %1").arg(a.value);
    QCOMPARE(got, button);
}

void TestPanelInput::buttonGuards()
{
    // Adjust off: page 0 takes only 12, page 1 only 2, 5 and 12, page 2 only 12, page 3 its choosers and 12.
    for (int page = 0; page < 4; ++page) {
        QString allowed;
        for (quint32 id = 0; id <= 14; ++id)
            if (PanelControlMap::buttonAllowed(page, id, false))
                allowed += QString::number(id) + QLatin1Char(' ');
        QCOMPARE(allowed, page == 0 || page == 2 ? "12 " : page == 1 ? "2 5 12 " : "0 3 6 9 10 12 ");
        QVERIFY(!PanelControlMap::buttonAllowed(page, 14, true));
    }
    QCOMPARE(PanelControlMap::buttonAction(1, 5, false).target.slot, int(ParameterCatalogue::ColorfrontMode));
    QCOMPARE(PanelControlMap::buttonAction(1, 0, false).kind, PanelControlMap::ButtonAction::None);
}

// Each turn: "<chooser>:<step>", ":commit" (its button) or ":time-out";
// each result: the outcome, for a move the pending index, the status line and
// its text (trimmed) with its length: device and range lines are padded to 32
// characters, channel lines to 30.
void TestPanelInput::stepping_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("turns");
    QTest::addColumn<QStringList>("results");

    QTest::newRow("five turns of 1 move one entry") << four << 1
                                                    << QStringList{"out:1", "out:1", "out:1", "out:1", "out:1", "out:1"}
                                                    << QStringList{"started", "accumulated", "accumulated", "accumulated",
                                                                   "accumulated", "moved 2 line 3 **OutDynRg  C (32)"};
    QTest::newRow("wrap past the last entry") << four << 3 << QStringList{"in:1", "in:25"}
                                              << QStringList{"started", "moved 0 line 2 **InDynRg  A (32)"};
    QTest::newRow("wrap below the first entry") << four << 0 << QStringList{"mon:1", "mon:-50"}
                                                << QStringList{"started", "moved 3 line 4 **MonDynRg  D (32)"};
    QTest::newRow("a large step moves one entry") << four << 0 << QStringList{"channel:1", "channel:1000"}
                                                  << QStringList{"started", "moved 1 line 1 **B (30)"};
    QTest::newRow("opposite steps cancel out") << four << 0
                                               << QStringList{"channel:1", "channel:4", "channel:-4", "channel:4"}
                                               << QStringList{"started", "accumulated", "accumulated", "accumulated"};
    QTest::newRow("another chooser cancels, then starts") << four << 0 << QStringList{"channel:1", "in:1", "in:1"}
                                                          << QStringList{"started", "cancelled", "started"};
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

void TestPanelInput::stepping()
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

QTEST_GUILESS_MAIN(TestPanelInput)
#include "tst_panelinput.moc"
