#include "fakeunits.h"
#include "hdrcontroller.h"
#include "midiremote.h"

#include <QtTest>

using PC = ParameterCatalogue;
using Size = MidiIntent::Size;

Q_DECLARE_METATYPE(QVector<MidiIntent>)

namespace {
MidiIntent intent(MidiIntent::Kind kind, int slot, int value = 0, Size size = Size::Normal)
{
    MidiIntent made;
    made.kind = kind;
    made.slot = slot;
    (kind == MidiIntent::Kind::Step ? made.steps : made.value) = value;
    made.size = size;
    return made;
}
MidiIntent set(int slot, int value) { return intent(MidiIntent::Kind::Set, slot, value); }
MidiIntent step(int slot, int steps, Size size = Size::Normal) { return intent(MidiIntent::Kind::Step, slot, steps, size); }
MidiIntent press(int slot) { return intent(MidiIntent::Kind::Press, slot); }
MidiIntent command(MidiAction action)
{
    MidiIntent made = intent(MidiIntent::Kind::Action, -1);
    made.action = action;
    return made;
}
QString is(int slot, const char *value)
{
    return QString::number(slot) + QLatin1Char('=') + QLatin1String(value);
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
    QTest::addColumn<QVector<MidiIntent>>("intents");
    QTest::addColumn<int>("channel");       // where the values are looked at ...
    QTest::addColumn<QStringList>("values"); // ... "<slot>=<value>" as the current unit holds them

    QTest::newRow("encoder, fine") << QVector<MidiIntent>{step(PC::Tint, -4, Size::Fine)} << 1 << QStringList{is(PC::Tint, "-4")};
    QTest::newRow("encoder, coarse, in nits")
        << QVector<MidiIntent>{step(PC::PqNitLevel, 2, Size::Coarse)} << 1 << QStringList{is(PC::PqNitLevel, "1200")};
    QTest::newRow("encoder on a chooser: a row a detent, kept in the list")
        << QVector<MidiIntent>{step(PC::OutDynRange, 2), step(PC::InDynRange, -1)} << 1
        << QStringList{is(PC::OutDynRange, "1"), is(PC::InDynRange, "0")};
    QTest::newRow("press: a switch toggles, a chooser moves on")
        << QVector<MidiIntent>{press(PC::SdrPreview), press(PC::InDynRange)} << 1
        << QStringList{is(PC::SdrPreview, "1"), is(PC::InDynRange, "15")};
    QTest::newRow("press on a slider: its reset position")
        << QVector<MidiIntent>{step(PC::LogLook, 5), press(PC::LogLook), step(PC::GainRed, 5)} << 1
        << QStringList{is(PC::LogLook, "500"), is(PC::GainRed, "1050")};
    QTest::newRow("adjust off holds the sliders")
        << QVector<MidiIntent>{press(PC::ColorfrontMode), step(PC::GainRed, 5), set(PC::Tint, 300)} << 1
        << QStringList{is(PC::ColorfrontMode, "0"), is(PC::GainRed, "1000"), is(PC::Tint, "0")};
    QTest::newRow("reset and undo")
        << QVector<MidiIntent>{set(PC::LiftMaster, 300), command(MidiAction::ResetAll), set(PC::Tint, 500),
                               command(MidiAction::Undo)}
        << 1 << QStringList{is(PC::LiftMaster, "0"), is(PC::Tint, "0")};
    // The detent comes while Video 2 is read: it waits, then acts on Video 2's own value.
    QTest::newRow("next channel") << QVector<MidiIntent>{command(MidiAction::ChannelNext), step(PC::GainRed, 1)} << 2
                                  << QStringList{is(PC::GainRed, "1010")};
    QTest::newRow("previous channel, round") << QVector<MidiIntent>{command(MidiAction::ChannelPrevious), set(PC::Tint, 70)}
                                             << 4 << QStringList{is(PC::Tint, "70")};
}

void TestMidiRemote::intentsReachTheUnits()
{
    QFETCH(QVector<MidiIntent>, intents);
    QFETCH(int, channel);
    QFETCH(QStringList, values);

    FakeUnits units;
    HdrController controller(units.transports());
    const auto settled = [&] { return QTest::qWaitFor([&] { return controller.isSettled(); }, 10000); };
    controller.start(FakeUnits::address(0), {});
    QVERIFY(settled());
    MidiRemote remote(controller, MidiPort::Backend::Jack);
    remote.take(intents);
    QVERIFY(settled());
    QCOMPARE(controller.current().channel, channel);
    for (const QString &expected : values) {
        const QByteArray name = PC::parameterName(channel, expected.section('=', 0, 0).toInt());
        QCOMPARE(units.value(0, name), expected.section('=', 1).toLatin1());
    }
}

QTEST_GUILESS_MAIN(TestMidiRemote)
#include "tst_midiremote.moc"
