#include "chooserstepper.h"

#include <QtTest>

class TestChooserStepper : public QObject
{
    Q_OBJECT

private slots:
    void stepping_data();
    void stepping();
    void commitOnlyTheSteppedChooser();
    void lineTexts_data();
    void lineTexts();
};

namespace {

const QStringList four{"A", "B", "C", "D"};

const char *outcomeName(ChooserStepper::Outcome o)
{
    static const char *const names[] = {"ignored", "started", "accumulated", "moved", "cancelled"};
    return names[int(o)];
}

} // namespace

// Each turn: "<chooser bit>:<step>"; each result: outcome, and for a move the
// pending index and line.
void TestChooserStepper::stepping_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("turns");
    QTest::addColumn<QStringList>("results");

    QTest::newRow("five turns of 1 move one entry") << four << 1 << QStringList{"8:1", "8:1", "8:1", "8:1", "8:1", "8:1"}
                                                    << QStringList{"started", "accumulated", "accumulated", "accumulated",
                                                                   "accumulated", "moved 2 line 3"};
    QTest::newRow("wrap past the last entry") << four << 3 << QStringList{"4:1", "4:25"} << QStringList{"started", "moved 0 line 2"};
    QTest::newRow("wrap below the first entry") << four << 0 << QStringList{"16:1", "16:-50"}
                                                << QStringList{"started", "moved 3 line 4"};
    QTest::newRow("a large step moves one entry") << four << 0 << QStringList{"2:1", "2:1000"} << QStringList{"started", "moved 1 line 1"};
    QTest::newRow("opposite steps cancel out") << four << 0 << QStringList{"2:1", "2:4", "2:-4", "2:4"}
                                               << QStringList{"started", "accumulated", "accumulated", "accumulated"};
    QTest::newRow("another chooser cancels, then starts") << four << 0 << QStringList{"2:1", "4:1", "4:1"}
                                                          << QStringList{"started", "cancelled", "started"};
    QTest::newRow("one entry cannot be stepped") << QStringList{"only"} << 0 << QStringList{"1:1", "1:25"}
                                                 << QStringList{"ignored", "ignored"};
    QTest::newRow("no current entry") << four << -1 << QStringList{"1:1", "1:-25"} << QStringList{"started", "moved 3 line 0"};
}

void TestChooserStepper::stepping()
{
    QFETCH(QStringList, names);
    QFETCH(int, current);
    QFETCH(QStringList, turns);
    QFETCH(QStringList, results);
    ChooserStepper stepper;
    QStringList got;
    for (const QString &turn : turns) {
        const auto chooser = ChooserStepper::Chooser(turn.section(QLatin1Char(':'), 0, 0).toInt());
        const auto r = stepper.step(chooser, turn.section(QLatin1Char(':'), 1).toDouble(), names, current);
        QString text = QLatin1String(outcomeName(r.outcome));
        if (r.outcome == ChooserStepper::Outcome::Moved) {
            text += QStringLiteral(" %1 line %2").arg(stepper.pending(chooser)).arg(r.line);
            QCOMPARE(r.lineText, ChooserStepper::lineText(chooser, names.at(stepper.pending(chooser))));
        }
        got << text;
    }
    QCOMPARE(got, results);
}

void TestChooserStepper::commitOnlyTheSteppedChooser()
{
    ChooserStepper stepper;
    QVERIFY(!stepper.commit(ChooserStepper::OutRange));
    stepper.step(ChooserStepper::OutRange, 1, four, 1);
    stepper.step(ChooserStepper::OutRange, 5, four, 1);
    QCOMPARE(stepper.mode(), int(ChooserStepper::OutRange));
    QVERIFY(!stepper.commit(ChooserStepper::InRange));
    QCOMPARE(stepper.commit(ChooserStepper::OutRange), std::optional<int>(2));
    QCOMPARE(stepper.mode(), 0);
    QVERIFY(!stepper.commit(ChooserStepper::OutRange));

    // A time-out (cancel) drops the pending choice.
    stepper.step(ChooserStepper::Channel, 1, four, 0);
    stepper.cancel();
    QVERIFY(!stepper.commit(ChooserStepper::Channel));
    // The next turn starts afresh from the chooser's current entry.
    QCOMPARE(stepper.step(ChooserStepper::Channel, 5, four, 3).outcome, ChooserStepper::Outcome::Started);
    QCOMPARE(stepper.pending(ChooserStepper::Channel), 3);
}

void TestChooserStepper::lineTexts_data()
{
    QTest::addColumn<int>("chooser");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("device") << int(ChooserStepper::Device) << "prismo-2" << "**prismo-2" + QString(22, QLatin1Char(' '));
    QTest::newRow("input range") << int(ChooserStepper::InRange) << "SDR" << "**InDynRg  SDR" + QString(18, QLatin1Char(' '));
    QTest::newRow("output range") << int(ChooserStepper::OutRange) << "HLG" << "**OutDynRg  HLG" + QString(17, QLatin1Char(' '));
}

void TestChooserStepper::lineTexts()
{
    QFETCH(int, chooser);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QCOMPARE(ChooserStepper::lineText(ChooserStepper::Chooser(chooser), name), text);
}

QTEST_GUILESS_MAIN(TestChooserStepper)
#include "tst_chooserstepper.moc"
