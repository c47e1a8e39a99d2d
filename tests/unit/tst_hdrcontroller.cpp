#include "fakeunits.h"
#include "hdrcontroller.h"
#include "unitchooser.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <vector>

using PC = ParameterCatalogue;
using K = Input::Kind;

namespace {
constexpr int Settle = 10000;

QByteArray vid(int channel, int slot)
{
    return PC::parameterName(channel, slot);
}

// A controller on fake units; unit 0 is the saved address unless the test says otherwise.
struct Rig
{
    HdrController &start(int current = 0, const QStringList &gang = {})
    {
        controller = std::make_unique<HdrController>(units.transports());
        controller->start(FakeUnits::address(current), gang);
        settle();
        return *controller;
    }
    bool settle() { return QTest::qWaitFor([this] { return controller->isSettled(); }, Settle); }
    QStringList of(int unit, const QString &action) const { return units.requests(unit, action); }
    // An input aimed at the current place, as any source makes it.
    void input(K kind, int slot = -1, int value = 0) { controller->submit(Input::of(kind, controller->current(), slot, value)); }
    void set(int slot, int value) { input(K::Set, slot, value); }

    FakeUnits units;
    std::unique_ptr<HdrController> controller;
};

// What each channel of each unit must hold after a sequence of inputs, as
// the controller promises it: an input acts on the place it was aimed at,
// with that place's own values, in the order it came; one aimed at the place
// being read waits for the read, one whose place was left before it was read
// is dropped. Every change reaches the current unit and the gang.
class PlaceModel
{
public:
    using Place = std::pair<int, int>; // unit, channel
    static constexpr int Units = 3;
    static constexpr std::array<int, 5> Slots{PC::GainRed, PC::Tint, PC::Exposure, PC::Saturation, PC::LiftMaster};

    // Every channel of every unit starts with values of its own.
    explicit PlaceModel(FakeUnits &units)
    {
        for (int unit = 0; unit < Units; ++unit) {
            for (int channel = 1; channel <= 4; ++channel) {
                Look &look = held[{unit, channel}];
                for (int slot = 0; slot < PC::SlotCount; ++slot)
                    look.values[std::size_t(slot)] = PC::slot(slot).startPosition;
                look.values[PC::GainRed] = 1000 + 100 * unit + 10 * channel;
                look.values[PC::Tint] = -(1000 * unit + 100 * channel);
                look.values[PC::Exposure] = 100 * unit + 10 * channel;
                look.values[PC::Saturation] = 1000 + 50 * unit + 5 * channel;
                for (int slot : Slots)
                    units.setValue(unit, vid(channel, slot), QByteArray::number(look.values[std::size_t(slot)]));
            }
        }
    }
    // Unit 0 current on Video 1, units 1 and 2 ganged and matched to it.
    void started()
    {
        gang = {1, 2};
        match();
    }
    void input(const Place &place, const Input &input)
    {
        if (place == current() && !loaded.count(place))
            waiting.push_back(input);
        else if (loaded.count(place))
            apply(place, input);
    }
    void selectChannel(int next)
    {
        if (next == channel)
            return;
        waiting.clear();
        channel = next;
        loaded.erase(current());
    }
    void selectUnit(int next)
    {
        waiting.clear();
        loaded.clear();
        unit = next;
        channel = 1;
        gang.erase(next);
        settled();
        match();
    }
    // The burst of inputs is over and the current place has been read.
    void settled()
    {
        loaded.insert(current());
        for (const Input &input : waiting)
            apply(current(), input);
        waiting.clear();
    }
    Place current() const { return {unit, channel}; }

    std::map<Place, Look> held; // what each unit holds on each channel

private:
    using Step = std::vector<std::array<int, 3>>; // slot, before, after
    struct Ab
    {
        std::optional<Look> a, b;
        bool aLive = false;
    };

    void match()
    {
        for (int member : gang)
            held[{member, channel}] = held[current()];
    }
    Step change(const Place &place, const std::vector<std::pair<int, int>> &values)
    {
        Step step;
        for (const auto &[slot, value] : values) {
            const int kept = std::clamp(value, PC::slot(slot).minimum, PC::slot(slot).maximum);
            int &now = held[place].values[std::size_t(slot)];
            if (kept != now)
                step.push_back({slot, now, kept});
            now = kept;
            for (int member : gang)
                held[{member, place.second}].values[std::size_t(slot)] = kept;
        }
        return step;
    }
    void record(const Place &place, const Step &step)
    {
        if (!step.empty()) {
            done[place].push_back(step);
            undone[place].clear();
        }
    }
    void recall(const Place &place, const Look &look)
    {
        std::vector<std::pair<int, int>> values;
        for (int slot : held[place].differences(look))
            values.emplace_back(slot, look.values[std::size_t(slot)]);
        record(place, change(place, values));
    }
    void apply(const Place &place, const Input &input)
    {
        Ab &looks = ab[place];
        switch (input.kind) {
        case K::Set:
        case K::Nudge: {
            const int base = input.kind == K::Nudge ? held[place].values[std::size_t(input.slot)] : 0;
            record(place, change(place, {{input.slot, base + input.value}}));
            break;
        }
        case K::RecallLook:
            recall(place, input.look);
            break;
        case K::StoreA:
        case K::StoreB:
            (input.kind == K::StoreA ? looks.a : looks.b) = held[place];
            looks.aLive = input.kind == K::StoreA;
            break;
        case K::ToggleLooks:
            if (looks.a && looks.b) {
                looks.aLive = !looks.aLive;
                recall(place, looks.aLive ? *looks.a : *looks.b);
            }
            break;
        case K::Undo:
        case K::Redo: {
            const bool back = input.kind == K::Undo;
            std::vector<Step> &from = back ? done[place] : undone[place];
            if (from.empty())
                break;
            const Step step = from.back();
            from.pop_back();
            std::vector<std::pair<int, int>> values;
            for (const auto &[slot, before, after] : step)
                values.emplace_back(slot, back ? before : after);
            if (back)
                std::reverse(values.begin(), values.end());
            change(place, values);
            (back ? undone[place] : done[place]).push_back(step);
            break;
        }
        default:
            break;
        }
    }

    int unit = 0;
    int channel = 1;
    std::set<int> gang;
    std::set<Place> loaded{{0, 1}};
    std::vector<Input> waiting;
    std::map<Place, std::vector<Step>> done, undone;
    std::map<Place, Ab> ab;
};
} // namespace

// The controller without a window, against fake units: identification,
// passes, read-back, the gang, discovery and what is saved.
class TestHdrController : public QObject
{
    Q_OBJECT

private slots:
    void identification_data();
    void identification();
    void unitNotReadyIsTakenUpLater_data();
    void unitNotReadyIsTakenUpLater();
    void startUpWritesOnlyTheUnitsOwnValues_data();
    void startUpWritesOnlyTheUnitsOwnValues();
    void userChangeReachesEveryUnitOnce();
    void readBackTakesOverAndSpreads();
    void replyOlderThanTheUsersChangeIsDropped();
    void missedWritesCatchUp_data();
    void missedWritesCatchUp();
    void newChannelAndNewCurrentUnit();
    void inputsWhileAChannelIsRead_data();
    void inputsWhileAChannelIsRead();
    void matchGangIsExplicitAndUndoable();
    void randomInputsLandWhereAimed_data();
    void randomInputsLandWhereAimed();
    void savedGangOutlivesFailedDiscovery_data();
    void savedGangOutlivesFailedDiscovery();
    void resetOnlyWithAdjustOn();
    void historyStepsAreGestures();
    void abToggleWritesOnlyWhatDiffers();
    void copyChannelToOtherChannelsAndUnits();
};

void TestHdrController::identification_data()
{
    QTest::addColumn<QByteArray>("product");
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("channels");

    const QByteArray kvel("KVEL"), none, one("1");
    const QString named = QStringLiteral("Prismo 1      version 1.4.2.7");
    const QStringList four{"Video 1", "Video 2", "Video 3", "Video 4"};
    QTest::newRow("four channels") << kvel << none << one << named << four;
    QTest::newRow("unknown mode") << kvel << none << QByteArray("0") << named << QStringList();
    // A failed read never shows the text of another parameter.
    QTest::newRow("name read fails") << kvel << QByteArray("eParamID_SystemName") << one
                                     << "127.0.0.11      version 1.4.2.7" << four;
    QTest::newRow("product in other case") << QByteArray("kvel") << none << one << " No Prismo Found" << QStringList();
    QTest::newRow("product with line end") << QByteArray("KVEL\n") << none << one << " No Prismo Found" << QStringList();
}

// Product id, name, version and mode, then the channel the filled list
// selects, then the list of units: nothing is written when the controls
// already hold the unit's values.
void TestHdrController::identification()
{
    QFETCH(QByteArray, product);
    QFETCH(QByteArray, failing);
    QFETCH(QByteArray, mode);
    QFETCH(QString, title);
    QFETCH(QStringList, channels);

    Rig rig;
    rig.units.setValue(0, "eParamID_ProductID", product);
    rig.units.setValue(0, "eParamID_ZyloMode", mode);
    if (!failing.isEmpty())
        rig.units.setFailing(0, failing);
    HdrController &c = rig.start();
    QCOMPARE(c.units().title(), title);
    QStringList shown;
    for (const UnitChooser::Channel &channel : c.units().channels())
        shown << channel.text;
    QCOMPARE(shown, channels);
    QCOMPARE(c.units().hasUnit(), product == "KVEL");
    QCOMPARE(c.current().unit, product == "KVEL" ? FakeUnits::address(0) : QString());
    if (product != "KVEL") {
        QCOMPARE(rig.of(0, "get"), QStringList{"eParamID_ProductID text-plain"});
        return;
    }
    QStringList expected{"eParamID_ProductID text-plain", "eParamID_SystemName text-plain",
                         "eParamID_SoftwareVersion text-plain", "eParamID_ZyloMode text-plain"};
    const int channel = mode == "1" ? 1 : 0;
    for (int slot : PC::readOrder())
        expected << vid(channel, slot) + " text-plain";
    expected << "eParamID_NetworkServices json";
    QCOMPARE(rig.of(0, "get"), expected);
    QCOMPARE(rig.of(0, "set"), QStringList());
}

void TestHdrController::unitNotReadyIsTakenUpLater_data()
{
    QTest::addColumn<bool>("off");
    QTest::newRow("switched off") << true;
    // A unit that is still starting answers, but with an error.
    QTest::newRow("product id answered with an error") << false;
}

void TestHdrController::unitNotReadyIsTakenUpLater()
{
    QFETCH(bool, off);
    Rig rig;
    if (off)
        rig.units.setOff(0, true);
    else
        rig.units.setFailing(0, "eParamID_ProductID");
    HdrController &c = rig.start();
    QVERIFY(!c.units().hasUnit());
    QCOMPARE(c.units().title(), QStringLiteral(" No Prismo Found"));
    rig.units.setOff(0, false);
    rig.units.setFailing(0, "eParamID_ProductID", false);
    QTRY_VERIFY_WITH_TIMEOUT(c.units().hasUnit(), Settle);
    QTRY_COMPARE_WITH_TIMEOUT(c.units().devices().size(), 3, Settle);
    // A list that cannot be read again leaves the list as it was.
    QVERIFY(rig.settle());
    rig.units.setFailing(0, "eParamID_NetworkServices");
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^JSON ERROR"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    c.discover();
    QVERIFY(rig.settle());
    QCOMPARE(c.units().devices().size(), 3);
}

void TestHdrController::startUpWritesOnlyTheUnitsOwnValues_data()
{
    QTest::addColumn<QStringList>("held"); // "<slot>=<value>" on Video 1 of the current unit
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<QStringList>("shown"); // "<slot>=<value>" as the controller shows them

    QTest::newRow("grade on video 1") << QStringList{"12=1500", "7=-250", "19=1300"} << QByteArray()
                                      << QStringList{"12=1500", "7=-250", "19=1300"};
    QTest::newRow("Adjust read fails") << QStringList{"28=0"} << vid(1, PC::ColorfrontMode) << QStringList{"28=1"};
    QTest::newRow("values outside the ranges") << QStringList{"12=99999", "25=-2147483648", "26=10"} << QByteArray()
                                               << QStringList{"12=5000", "25=-16000", "26=48"};
}

// With a saved gang, start-up ends in a pass that writes every parameter to
// every unit: each value written must be the current unit's own value of
// that parameter, and a value the controller could not read or show is not
// written at all.
void TestHdrController::startUpWritesOnlyTheUnitsOwnValues()
{
    QFETCH(QStringList, held);
    QFETCH(QByteArray, failing);
    QFETCH(QStringList, shown);

    Rig rig;
    for (const QString &setting : held)
        rig.units.setValue(0, vid(1, setting.section('=', 0, 0).toInt()), setting.section('=', 1).toLatin1());
    if (!failing.isEmpty())
        rig.units.setFailing(0, failing);
    HdrController &c = rig.start(0, {FakeUnits::hostName(1)});
    QCOMPARE(c.units().gangSize(), 1);
    QVERIFY(!rig.of(1, "set").isEmpty());
    for (int unit : {0, 1}) {
        for (const QString &set : rig.of(unit, "set"))
            QVERIFY2(set.section(' ', 1) == rig.units.value(0, set.section(' ', 0, 0).toLatin1()), qPrintable(set));
    }
    for (const QString &setting : held)
        QCOMPARE(rig.units.value(0, vid(1, setting.section('=', 0, 0).toInt())), setting.section('=', 1).toLatin1());
    for (const QString &setting : shown)
        QCOMPARE(c.value(setting.section('=', 0, 0).toInt()), setting.section('=', 1).toInt());
}

// A change reaches the current unit and the gang once; a write the unit
// answered, even with an error, is not missed: it is not sent again.
void TestHdrController::userChangeReachesEveryUnitOnce()
{
    Rig rig;
    HdrController &c = rig.start(0, {FakeUnits::hostName(1), FakeUnits::hostName(2)});
    rig.units.setFailing(1, vid(1, PC::GainRed));
    QSignalSpy shown(&c, &HdrController::parameterChanged);
    rig.units.clearLog();
    rig.set(PC::GainRed, 1250);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0], (QList<QVariant>{PC::GainRed, 1250}));
    QVERIFY(c.isHeld());
    for (int i = 0; i < 3; ++i) {
        c.refreshNow();
        QVERIFY(rig.settle());
    }
    for (int unit = 0; unit < 3; ++unit)
        QCOMPARE(rig.of(unit, "set"), QStringList{vid(1, PC::GainRed) + " 1250"});
}

void TestHdrController::readBackTakesOverAndSpreads()
{
    Rig rig;
    HdrController &c = rig.start(0, {FakeUnits::hostName(1), FakeUnits::hostName(2)});
    rig.units.setValue(0, vid(1, PC::GainRed), "1100");
    rig.units.setValue(0, vid(1, PC::OutDynRange), "7");
    rig.units.setValue(0, vid(1, PC::SdrPreview), " 0 ");
    rig.units.clearLog();
    c.refreshNow();
    QVERIFY(rig.settle());
    QCOMPARE(c.value(PC::GainRed), 1100);
    QCOMPARE(c.value(PC::OutDynRange), 5); // "HLG Extended BT.709"
    for (int unit = 1; unit < 3; ++unit) {
        QCOMPARE(rig.units.value(unit, vid(1, PC::GainRed)), QByteArray("1100"));
        QCOMPARE(rig.units.value(unit, vid(1, PC::OutDynRange)), QByteArray("7"));
        QCOMPARE(rig.units.value(unit, vid(1, PC::SdrPreview)), QByteArray("0"));
        // One poll of each ganged unit after the current unit's reads.
        QCOMPARE(rig.of(unit, "get"), QStringList{vid(1, PC::ColorfrontMode) + " text-plain"});
    }
}

// A reply to a read sent before the user's change would undo the change.
void TestHdrController::replyOlderThanTheUsersChangeIsDropped()
{
    Rig rig;
    HdrController &c = rig.start();
    rig.units.setDelay(0, 150);
    rig.units.clearLog();
    c.refreshNow();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.of(0, "get").isEmpty(), Settle); // the Adjust read is under way
    rig.set(PC::ColorfrontMode, 0);
    QVERIFY(rig.settle());
    QCOMPARE(c.value(PC::ColorfrontMode), 0);
    QCOMPARE(rig.units.value(0, vid(1, PC::ColorfrontMode)), QByteArray("0"));
}

void TestHdrController::missedWritesCatchUp_data()
{
    QTest::addColumn<int>("off");
    QTest::addColumn<bool>("offAtStart");

    QTest::newRow("ganged unit off at start") << 2 << true;
    QTest::newRow("ganged unit off later") << 2 << false;
    // Read back before it caught up, its stale value would roll the gang back.
    QTest::newRow("current unit off later") << 0 << false;
}

// A unit that does not answer while the user adjusts gets the last value of
// everything it missed once it answers again, and the gang stays together.
// The gang's tool tip names a ganged unit that does not answer.
void TestHdrController::missedWritesCatchUp()
{
    QFETCH(int, off);
    QFETCH(bool, offAtStart);

    Rig rig;
    if (offAtStart)
        rig.units.setOff(off, true);
    HdrController &c = rig.start(0, {FakeUnits::hostName(1), FakeUnits::hostName(2)});
    QCOMPARE(c.units().gangLabel(), QStringLiteral("Current Prismo (ganged)"));
    // An answering ganged unit received the forced pass in pass order.
    QStringList order, written;
    for (int slot : PC::passOrder())
        order << vid(1, slot);
    for (const QString &set : rig.of(1, "set"))
        written << set.section(' ', 0, 0);
    QCOMPARE(written, order);
    const QString tip = QStringLiteral("Ganged Prismos:\n- prismo-2 \n- prismo-3  (not answering)");
    if (offAtStart) {
        QTRY_COMPARE_WITH_TIMEOUT(c.units().gangToolTip(), tip, Settle);
        c.applyGangChoices({});
        QVERIFY(rig.settle());
        QCOMPARE(c.units().gangToolTip(), tip);
    }
    rig.units.setOff(off, true);
    for (int position : {1200, 1300, 1400})
        rig.set(PC::GainRed, position);
    rig.set(PC::Tint, 250);
    QVERIFY(rig.settle());
    if (off == 2) {
        QTRY_COMPARE_WITH_TIMEOUT(c.units().gangToolTip(), tip, Settle);
        QCOMPARE(c.units().unitState(FakeUnits::address(2)), QStringLiteral("not answering"));
    }
    rig.units.setOff(off, false);
    QTRY_VERIFY_WITH_TIMEOUT((c.refreshNow(), rig.units.value(off, vid(1, PC::GainRed)) == "1400"), Settle);
    QVERIFY(rig.settle());
    for (int unit : {1, 2}) {
        for (int slot : PC::passOrder())
            QCOMPARE(rig.units.value(unit, vid(1, slot)), rig.units.value(0, vid(1, slot)));
    }
    QCOMPARE(rig.units.value(off, vid(1, PC::Tint)), QByteArray("250"));
    QCOMPARE(c.value(PC::GainRed), 1400);
}

// Choosing another channel reads it and writes nothing: the gang keeps its
// own values of it. Another current unit leaves the gang, and the gang is
// built anew around it with one pass of its values.
void TestHdrController::newChannelAndNewCurrentUnit()
{
    Rig rig;
    rig.units.setValue(0, vid(1, PC::GainRed), "3000");
    rig.units.setValue(0, vid(1, PC::Tint), "-5000");
    rig.units.setValue(0, vid(3, PC::Exposure), "1500");
    rig.units.setValue(1, vid(3, PC::GainRed), "1777");
    HdrController &c = rig.start(0, {FakeUnits::hostName(1), FakeUnits::hostName(2)});
    rig.units.setValue(1, vid(1, PC::GammaRed), "900");
    rig.units.clearLog();
    c.submit(Input::selectChannel(3));
    QVERIFY(rig.settle());
    QCOMPARE(c.current().channel, 3);
    QCOMPARE(c.value(PC::Exposure), 1500);
    QCOMPARE(c.value(PC::GainRed), 1000);
    for (int unit = 0; unit < 3; ++unit)
        QCOMPARE(rig.of(unit, "set"), QStringList());
    QCOMPARE(rig.units.value(1, vid(3, PC::GainRed)), QByteArray("1777"));

    c.submit(Input::selectUnit(FakeUnits::hostName(1)));
    QVERIFY(rig.settle());
    QCOMPARE(c.current(), (Target{FakeUnits::address(1), 1}));
    QCOMPARE(c.units().deviceIndex(), 1);
    QCOMPARE(c.units().gangHostNames(), QStringList{FakeUnits::hostName(2)});
    // The gang is matched to the new current unit's Video 1; unit 0 is left alone.
    QCOMPARE(rig.units.value(2, vid(1, PC::GammaRed)), QByteArray("900"));
    QCOMPARE(rig.units.value(0, vid(1, PC::GammaRed)), QByteArray("1000"));
    rig.units.clearLog();
    rig.set(PC::GammaMaster, 1333);
    QVERIFY(rig.settle());
    QCOMPARE(rig.of(0, "set"), QStringList());
    for (int unit : {1, 2})
        QCOMPARE(rig.of(unit, "set"), QStringList{vid(1, PC::GammaMaster) + " 1333"});
    QCOMPARE(c.units().gangNamesToSave(), QStringList{FakeUnits::hostName(2)});
}

void TestHdrController::inputsWhileAChannelIsRead_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("video2"); // "<slot>=<value>" on Video 2 of both units at the end
    QTest::addColumn<QStringList>("video3");

    const QString gain = QString::number(PC::GainRed) + QLatin1Char('=');
    const QString tint = QString::number(PC::Tint) + QLatin1Char('=');
    QTest::newRow("nudge") << "nudge" << QStringList{gain + "1010", tint + "0"} << QStringList{gain + "1000"};
    QTest::newRow("look recall") << "recall" << QStringList{gain + "4000", tint + "700"} << QStringList{gain + "1000"};
    QTest::newRow("reset") << "reset" << QStringList{gain + "1000", tint + "0", QString::number(PC::LiftMaster) + "=0"}
                           << QStringList{tint + "0"};
    // The chooser's last row on Video 2 (Video 1 shows its first): the next one is the first.
    QTest::newRow("chooser's next row") << "next row" << QStringList{QString::number(PC::OutDynRange) + "=0"}
                                        << QStringList{gain + "1000"};
    // Aimed at Video 2 and made while it is read; Video 3 chosen before the
    // read ended: the input is dropped, never moved to Video 3.
    QTest::newRow("place left before its read") << "left" << QStringList{gain + "1000"} << QStringList{gain + "1000"};
    // Aimed at Video 1, which has been read, after Video 2 was chosen: it lands on Video 1.
    QTest::newRow("input for the channel left") << "late" << QStringList{gain + "1000"} << QStringList{gain + "1000"};
}

// Units that answer late, one ganged. Video 1 of the current unit holds a
// grade; Video 2 is at its start values on both units. Whatever comes while
// Video 2 is read acts on Video 2's own values, once they are read (the
// random sequences below add typed values, A/B and undo to these).
void TestHdrController::inputsWhileAChannelIsRead()
{
    QFETCH(QString, input);
    QFETCH(QStringList, video2);
    QFETCH(QStringList, video3);

    Rig rig;
    rig.units.setValue(0, vid(1, PC::GainRed), "1500");
    rig.units.setValue(0, vid(1, PC::Tint), "-5000");
    if (input == QLatin1String("reset"))
        rig.units.setValue(0, vid(2, PC::LiftMaster), "250");
    if (input == QLatin1String("next row"))
        rig.units.setValue(0, vid(2, PC::OutDynRange), PC::wireText(PC::OutDynRange, PC::slot(PC::OutDynRange).maximum));
    HdrController &c = rig.start(0, {FakeUnits::hostName(1)});
    const Target video1 = c.current();
    for (int unit : {0, 1})
        rig.units.setDelay(unit, 20);
    rig.units.clearLog();
    c.submit(Input::selectChannel(2));
    if (input == QLatin1String("nudge"))
        rig.input(K::Nudge, PC::GainRed, 10);
    else if (input == QLatin1String("reset"))
        rig.input(K::ResetAll);
    else if (input == QLatin1String("next row"))
        rig.input(K::StepChoice, PC::OutDynRange, 1);
    else if (input == QLatin1String("late"))
        c.submit(Input::of(K::Nudge, video1, PC::GainRed, 10));
    if (input == QLatin1String("recall")) {
        Input recall = Input::of(K::RecallLook, c.current());
        recall.look = c.currentLook();
        recall.look.values[PC::GainRed] = 4000;
        recall.look.values[PC::Tint] = 700;
        c.submit(recall);
    }
    if (input == QLatin1String("left")) {
        rig.input(K::Nudge, PC::GainRed, 10);
        c.submit(Input::selectChannel(3));
    }
    QVERIFY(rig.settle());
    for (int unit : {0, 1}) {
        for (const QString &expected : video2)
            QCOMPARE(rig.units.value(unit, vid(2, expected.section('=', 0, 0).toInt())), expected.section('=', 1).toLatin1());
        for (const QString &expected : video3)
            QCOMPARE(rig.units.value(unit, vid(3, expected.section('=', 0, 0).toInt())), expected.section('=', 1).toLatin1());
        // Video 1 keeps its grade but for what was aimed at it.
        QCOMPARE(rig.units.value(unit, vid(1, PC::GainRed)), QByteArray(input == QLatin1String("late") ? "1510" : "1500"));
        QCOMPARE(rig.units.value(unit, vid(1, PC::Tint)), QByteArray("-5000"));
    }
    for (const QString &set : rig.of(1, "set"))
        QVERIFY2(!set.startsWith(vid(1, 0).left(13)) || input == QLatin1String("late"), qPrintable(set));
}

// The gang follows the current unit only by what the user does; matching it
// is a command of its own, one step of the history. A forced pass that had to
// leave a value out says so, and matches it once it is known.
void TestHdrController::matchGangIsExplicitAndUndoable()
{
    Rig rig;
    rig.units.setValue(1, vid(2, PC::Saturation), "1700");
    rig.units.setValue(0, vid(2, PC::GainRed), "2500");
    rig.units.setFailing(0, vid(1, PC::Tint));
    rig.units.setValue(0, vid(1, PC::Tint), "300");
    HdrController &c = rig.start(0, {FakeUnits::hostName(1)});
    QCOMPARE(c.units().gangLabel(), QStringLiteral("Current Prismo (ganged, 1 not matched)"));
    QCOMPARE(rig.units.value(1, vid(1, PC::Tint)), QByteArray("0"));
    rig.units.setFailing(0, vid(1, PC::Tint), false);
    c.refreshNow();
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(1, vid(1, PC::Tint)), QByteArray("300"));
    QCOMPARE(c.units().gangLabel(), QStringLiteral("Current Prismo (ganged)"));

    c.submit(Input::selectChannel(2));
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(1, vid(2, PC::GainRed)), QByteArray("1000"));
    rig.input(K::MatchGang);
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(1, vid(2, PC::GainRed)), QByteArray("2500"));
    QCOMPARE(rig.units.value(1, vid(2, PC::Saturation)), QByteArray("1000"));
    QCOMPARE(c.undoSteps(), 1);
    rig.input(K::Undo);
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(1, vid(2, PC::GainRed)), QByteArray("1000"));
    QCOMPARE(rig.units.value(1, vid(2, PC::Saturation)), QByteArray("1700"));
    QCOMPARE(rig.units.value(0, vid(2, PC::GainRed)), QByteArray("2500"));
    rig.input(K::Redo);
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(1, vid(2, PC::Saturation)), QByteArray("1000"));
}

void TestHdrController::savedGangOutlivesFailedDiscovery_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("unganged");
    QTest::addColumn<QStringList>("stored");

    const QStringList two{"prismo-2 ", "prismo-3 "};
    QTest::newRow("current unit off") << "off" << two << QStringList() << two;
    QTest::newRow("list refused") << "fail" << two << QStringList() << two;
    QTest::newRow("unit not in the list") << "" << QStringList{"elsewhere ", "prismo-3 "} << QStringList()
                                          << QStringList{"prismo-3 ", "elsewhere "};
    QTest::newRow("user unganged one") << "" << QStringList{"elsewhere ", "prismo-3 "} << QStringList{"prismo-3 "}
                                       << QStringList{"elsewhere "};
}

void TestHdrController::savedGangOutlivesFailedDiscovery()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, unganged);
    QFETCH(QStringList, stored);

    Rig rig;
    if (fault == QLatin1String("off"))
        rig.units.setOff(0, true);
    if (fault == QLatin1String("fail")) {
        rig.units.setFailing(0, "eParamID_NetworkServices");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^JSON ERROR"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    }
    HdrController &c = rig.start(0, saved);
    if (!unganged.isEmpty()) {
        QList<DeviceEntry> edited = c.units().devices();
        for (DeviceEntry &entry : edited)
            entry.ganged = entry.ganged && !unganged.contains(entry.hostName);
        c.applyGangChoices(edited);
    }
    QCOMPARE(c.units().gangNamesToSave(), stored);
}

void TestHdrController::resetOnlyWithAdjustOn()
{
    Rig rig;
    HdrController &c = rig.start();
    rig.set(PC::LiftMaster, 250);
    rig.set(PC::LogLook, 900);
    rig.set(PC::ColorfrontMode, 0);
    rig.input(K::ResetAll);
    QCOMPARE(c.value(PC::LiftMaster), 250);
    rig.set(PC::ColorfrontMode, 1);
    QVERIFY(rig.settle());
    rig.units.clearLog();
    QSignalSpy done(&c, &HdrController::resetDone);
    rig.input(K::ResetAll);
    QCOMPARE(done.size(), 1);
    QVERIFY(rig.settle());
    QCOMPARE(rig.of(0, "set"), (QStringList{vid(1, PC::LiftMaster) + " 0", vid(1, PC::LogLook) + " 500"}));
}

// A drag and a reset are a step each; values read back from the unit are
// no steps (what undo and redo write, and to which place, the random
// sequences show).
void TestHdrController::historyStepsAreGestures()
{
    Rig rig;
    HdrController &c = rig.start();
    rig.input(K::BeginGesture);
    for (int position : {1100, 1200, 1300})
        rig.set(PC::GainRed, position);
    rig.input(K::EndGesture);
    rig.input(K::ResetAll);
    rig.units.setValue(0, vid(1, PC::Tint), "400");
    c.refreshNow();
    QVERIFY(rig.settle());
    QCOMPARE(c.undoSteps(), 2);
    rig.input(K::Undo); // the reset
    QCOMPARE(c.value(PC::GainRed), 1300);
    rig.input(K::Undo); // the drag
    QCOMPARE(c.value(PC::GainRed), 1000);
    QCOMPARE(c.value(PC::Tint), 400);
}

void TestHdrController::abToggleWritesOnlyWhatDiffers()
{
    Rig rig;
    rig.start(0, {FakeUnits::hostName(1)});
    rig.input(K::StoreA);
    rig.set(PC::Saturation, 1400);
    rig.set(PC::OutDynRange, 2);
    rig.input(K::StoreB);
    rig.set(PC::Tint, 50);
    QVERIFY(rig.settle());
    rig.units.clearLog();
    rig.input(K::ToggleLooks);
    QVERIFY(rig.settle());
    const QStringList written{vid(1, PC::OutDynRange) + " 0", vid(1, PC::Saturation) + " 1000",
                              vid(1, PC::Tint) + " 0"};
    for (int unit : {0, 1})
        QCOMPARE(rig.of(unit, "set"), written);
}

void TestHdrController::copyChannelToOtherChannelsAndUnits()
{
    Rig rig;
    HdrController &c = rig.start(0, {FakeUnits::hostName(1)});
    rig.set(PC::LiftRed, -120);
    QVERIFY(rig.settle());
    // The source is the place the copy was asked for, whatever is chosen since.
    Input copy = Input::of(K::Copy, c.current());
    copy.copyTo = {{FakeUnits::address(0), 3}, {FakeUnits::address(1), 4}};
    c.submit(Input::selectChannel(2));
    c.submit(copy);
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(0, vid(3, PC::LiftRed)), QByteArray("-120"));
    QCOMPARE(rig.units.value(1, vid(4, PC::LiftRed)), QByteArray("-120"));
    QCOMPARE(rig.units.value(0, vid(2, PC::LiftRed)), QByteArray("0"));
    QCOMPARE(rig.of(0, "set").filter(vid(3, 0).left(13)).size(), PC::BoundCount - 1);
}

void TestHdrController::randomInputsLandWhereAimed_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u})
        QTest::addRow("seed %u", seed) << seed;
}

// Bursts of inputs from every kind of source, with channel and unit switches
// among them and units answering late by different amounts, so replies
// arrive in every order: every channel of every unit ends as the model says,
// never with a value of another place, and no input is lost.
void TestHdrController::randomInputsLandWhereAimed()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    Rig rig;
    PlaceModel model(rig.units);
    HdrController &c = rig.start(0, {FakeUnits::hostName(1), FakeUnits::hostName(2)});
    model.started();
    std::optional<Target> left; // a place the user was on before the last channel switch
    const auto randomSlot = [&] { return PlaceModel::Slots[random.bounded(int(PlaceModel::Slots.size()))]; };
    for (int burst = 0; burst < 30; ++burst) {
        for (int unit = 0; unit < PlaceModel::Units; ++unit)
            rig.units.setDelay(unit, random.bounded(12));
        for (int i = 1 + random.bounded(5); i > 0; --i) {
            const int pick = random.bounded(100);
            const int unit = model.current().first;
            if (pick < 4 && burst > 3) {
                const int next = (unit + 1 + random.bounded(2)) % PlaceModel::Units;
                c.submit(Input::selectUnit(FakeUnits::hostName(next)));
                QVERIFY(rig.settle());
                model.selectUnit(next);
                left.reset();
                break;
            }
            if (pick < 22) {
                const int next = 1 + random.bounded(4);
                if (next != c.current().channel)
                    left = c.current();
                c.submit(Input::selectChannel(next));
                model.selectChannel(next);
                continue;
            }
            // An input made before the switch arrives after it now and then.
            Input input = Input::of(K::Set, pick < 30 && left ? *left : c.current());
            const PlaceModel::Place place{unit, input.target.channel};
            if (pick < 45) {
                input.slot = randomSlot();
                input.value = PC::slot(input.slot).minimum + random.bounded(PC::slot(input.slot).maximum - PC::slot(input.slot).minimum + 1);
            } else if (pick < 60) {
                input = Input::of(K::Nudge, input.target, randomSlot(), random.bounded(-300, 300));
            } else if (pick < 66) {
                input.kind = K::RecallLook;
                input.look = model.held[place];
                const int slot = randomSlot();
                input.look.values[std::size_t(slot)] = PC::slot(slot).minimum + random.bounded(500);
            } else {
                static const K others[] = {K::StoreA, K::StoreB, K::ToggleLooks, K::Undo, K::Undo, K::Redo};
                input.kind = others[random.bounded(int(std::size(others)))];
            }
            c.submit(Input::of(K::BeginGesture, input.target));
            c.submit(input);
            c.submit(Input::of(K::EndGesture, input.target));
            model.input(place, input);
        }
        QVERIFY(rig.settle());
        model.settled();
    }
    for (const auto &[place, look] : model.held) {
        for (int slot : PlaceModel::Slots) {
            const QByteArray held = rig.units.value(place.first, vid(place.second, slot));
            QVERIFY2(held == QByteArray::number(look.values[std::size_t(slot)]),
                     qPrintable(QStringLiteral("unit %1 Video %2 slot %3 holds %4").arg(place.first).arg(place.second).arg(slot).arg(QString::fromLatin1(held))));
        }
    }
}

QTEST_GUILESS_MAIN(TestHdrController)
#include "tst_hdrcontroller.moc"
