#include "fakeunits.h"
#include "hdrcontroller.h"
#include "midimapping.h"
#include "midiremote.h"

#include <QtTest>

using PC = ParameterCatalogue;
using Kind = MidiIntent::Kind;

namespace {
// "set NAME VALUE", "step NAME DETENTS [fine|coarse]", "press NAME", NAME a
// parameter's remote name or a command, as a controller's intents.
QVector<MidiIntent> intents(const QString &script)
{
    QVector<MidiIntent> list;
    for (const QString &line : script.split(QLatin1Char(';'))) {
        const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        MidiMapping target;
        target.setTarget(w[1]);
        MidiIntent intent;
        intent.slot = target.slot;
        intent.action = target.action;
        intent.kind = w[0] == QLatin1String("set") ? Kind::Set : w[0] == QLatin1String("step") ? Kind::Step
                      : target.slot >= 0                      ? Kind::Press
                                                              : Kind::Action;
        (intent.kind == Kind::Step ? intent.steps : intent.value) = w.value(2).toInt();
        intent.size = w.value(3) == QLatin1String("fine")     ? MidiIntent::Size::Fine
                      : w.value(3) == QLatin1String("coarse") ? MidiIntent::Size::Coarse
                                                              : MidiIntent::Size::Normal;
        list << intent;
    }
    return list;
}
} // namespace

// What a controller's intents do to the units through MIDI control and the
// controller, as the window's arrow keys, a switch's click or a command would.
class TestMidiRemote : public QObject
{
    Q_OBJECT

private slots:
    void intentsReachTheUnits_data();
    void intentsReachTheUnits();
};

void TestMidiRemote::intentsReachTheUnits_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("channel");       // where the values are looked at ...
    QTest::addColumn<QStringList>("values"); // ... "NAME=VALUE" as the current unit holds them

    QTest::newRow("encoder, fine") << "step tint -4 fine" << 1 << QStringList{"tint=-4"};
    QTest::newRow("encoder, coarse, in nits") << "step pq-level 2 coarse" << 1 << QStringList{"pq-level=1200"};
    QTest::newRow("encoder on a chooser: a row a detent, kept in the list")
        << "step range/out 2; step range/in -1" << 1 << QStringList{"range/out=1", "range/in=0"};
    QTest::newRow("press: a switch toggles, a chooser moves on")
        << "press sdr-preview; press range/in" << 1 << QStringList{"sdr-preview=1", "range/in=15"};
    QTest::newRow("press on a slider: its reset position")
        << "step log-look 5; press log-look; step gain/red 5" << 1 << QStringList{"log-look=500", "gain/red=1050"};
    QTest::newRow("adjust off holds the sliders")
        << "press adjust; step gain/red 5; set tint 300" << 1 << QStringList{"adjust=0", "gain/red=1000", "tint=0"};
    QTest::newRow("reset and undo") << "set lift/master 300; press reset; set tint 500; press undo" << 1
                                    << QStringList{"lift/master=0", "tint=0"};
    // The detent comes while Video 2 is read: it waits, then acts on Video 2's own value.
    QTest::newRow("next channel") << "press channel/next; step gain/red 1" << 2 << QStringList{"gain/red=1010"};
    QTest::newRow("previous channel, round") << "press channel/prev; set tint 70" << 4 << QStringList{"tint=70"};
}

void TestMidiRemote::intentsReachTheUnits()
{
    QFETCH(QString, script);
    QFETCH(int, channel);
    QFETCH(QStringList, values);

    FakeUnits units;
    HdrController controller(units.transports());
    const auto settled = [&] { return QTest::qWaitFor([&] { return controller.isSettled(); }, 10000); };
    controller.start(FakeUnits::address(0), {});
    QVERIFY(settled());
    MidiRemote remote(controller, MidiPort::Backend::Jack);
    remote.take(intents(script));
    QVERIFY(settled());
    QCOMPARE(controller.current().channel, channel);
    for (const QString &expected : values) {
        const QByteArray name = PC::parameterName(channel, PC::slotByRemoteName(expected.section('=', 0, 0)));
        QCOMPARE(units.value(0, name), expected.section('=', 1).toLatin1());
    }
}

QTEST_GUILESS_MAIN(TestMidiRemote)
#include "tst_midiremote.moc"
