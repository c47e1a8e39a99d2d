#include "fakeunits.h"
#include "gang.h"
#include "hdrcontroller.h"

#include <QtTest>

using PC = ParameterCatalogue;

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

    FakeUnits units;
    std::unique_ptr<HdrController> controller;
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
    void savedGangOutlivesFailedDiscovery_data();
    void savedGangOutlivesFailedDiscovery();
    void resetOnlyWithAdjustOn();
    void undoAndRedoWriteLikeAnyChange();
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
    QTest::newRow("4K/UHD") << kvel << none << QByteArray("2") << named << QStringList{"4K/UHD"};
    QTest::newRow("unknown mode") << kvel << none << QByteArray("0") << named << QStringList();
    // A failed read never shows the text of another parameter.
    QTest::newRow("name read fails") << kvel << QByteArray("eParamID_SystemName") << one
                                     << "127.0.0.11      version 1.4.2.7" << four;
    QTest::newRow("version read fails") << kvel << QByteArray("eParamID_SoftwareVersion") << one
                                        << "Prismo 1      version 0.0.0.0" << four;
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
    QCOMPARE(c.title(), title);
    QStringList shown;
    for (const HdrController::Channel &channel : c.channels())
        shown << channel.text;
    QCOMPARE(shown, channels);
    QCOMPARE(c.hasUnit(), product == "KVEL");
    QCOMPARE(c.currentAddress(), product == "KVEL" ? FakeUnits::address(0) : QString());
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
    QVERIFY(!c.hasUnit());
    QCOMPARE(c.title(), QStringLiteral(" No Prismo Found"));
    rig.units.setOff(0, false);
    rig.units.setFailing(0, "eParamID_ProductID", false);
    QTRY_VERIFY_WITH_TIMEOUT(c.hasUnit(), Settle);
    QTRY_COMPARE_WITH_TIMEOUT(c.devices().entries().size(), 3, Settle);
    // A list that cannot be read again leaves the list as it was.
    QVERIFY(rig.settle());
    rig.units.setFailing(0, "eParamID_NetworkServices");
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^JSON ERROR"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    c.discover();
    QVERIFY(rig.settle());
    QCOMPARE(c.devices().entries().size(), 3);
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
    QCOMPARE(c.gang().size(), 1);
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
    c.setParameter(PC::GainRed, 1250);
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
    // A reply that holds no value changes and writes nothing.
    rig.units.setValue(0, vid(1, PC::GainBlue), "abc");
    rig.units.clearLog();
    c.refreshNow();
    QVERIFY(rig.settle());
    for (int unit = 0; unit < 3; ++unit)
        QCOMPARE(rig.of(unit, "set"), QStringList());
    QCOMPARE(c.value(PC::GainBlue), 1000);
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
    c.setParameter(PC::ColorfrontMode, 0);
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
    QCOMPARE(c.gang().label(), QStringLiteral("Current Prismo (ganged)"));
    // An answering ganged unit received the forced pass in pass order.
    QStringList order, written;
    for (int slot : PC::passOrder())
        order << vid(1, slot);
    for (const QString &set : rig.of(1, "set"))
        written << set.section(' ', 0, 0);
    QCOMPARE(written, order);
    const QString tip = QStringLiteral("Ganged Prismos:\n- prismo-2 \n- prismo-3  (not answering)");
    if (offAtStart) {
        QTRY_COMPARE_WITH_TIMEOUT(c.gang().toolTip(), tip, Settle);
        c.applyGangChoices({});
        QVERIFY(rig.settle());
        QCOMPARE(c.gang().toolTip(), tip);
    }
    rig.units.setOff(off, true);
    for (int position : {1200, 1300, 1400})
        c.setParameter(PC::GainRed, position);
    c.setParameter(PC::Tint, 250);
    QVERIFY(rig.settle());
    if (off == 2) {
        QTRY_COMPARE_WITH_TIMEOUT(c.gang().toolTip(), tip, Settle);
        QCOMPARE(c.unitState(FakeUnits::address(2)), QStringLiteral("not answering"));
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

// Another channel is read at once, and its values reach the gang. The new
// current unit leaves the gang and no longer receives its writes.
void TestHdrController::newChannelAndNewCurrentUnit()
{
    Rig rig;
    rig.units.setValue(0, vid(3, PC::Exposure), "1500");
    rig.units.setValue(1, vid(3, PC::GainRed), "1777");
    HdrController &c = rig.start(0, {FakeUnits::hostName(1), FakeUnits::hostName(2)});
    c.selectChannel(2); // Video 3
    QVERIFY(rig.settle());
    QCOMPARE(c.channel(), 3);
    QCOMPARE(c.value(PC::Exposure), 1500);
    QCOMPARE(rig.units.value(1, vid(3, PC::Exposure)), QByteArray("1500"));
    QCOMPARE(rig.units.value(1, vid(1, PC::Exposure)), QByteArray("0"));
    c.selectDevice(1);
    QVERIFY(rig.settle());
    QCOMPARE(c.currentAddress(), FakeUnits::address(1));
    QCOMPARE(c.devices().currentIndex(), 1);
    QCOMPARE(c.gang().hostNames(), QStringList{FakeUnits::hostName(2)});
    // The list selects Video 1 again, and Video 1 is what was read and spread.
    QCOMPARE(c.channel(), 1);
    for (int unit = 0; unit < 3; ++unit)
        QCOMPARE(rig.units.value(unit, vid(1, PC::GainRed)), QByteArray("1000"));
    rig.units.clearLog();
    c.setParameter(PC::GammaMaster, 1333);
    QVERIFY(rig.settle());
    QCOMPARE(rig.of(0, "set"), QStringList());
    for (int unit : {1, 2})
        QCOMPARE(rig.of(unit, "set"), QStringList{vid(1, PC::GammaMaster) + " 1333"});
    QCOMPARE(c.gangNamesToSave(), QStringList{FakeUnits::hostName(2)});
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
        QList<DeviceEntry> edited = c.devices().entries();
        for (DeviceEntry &entry : edited)
            entry.ganged = entry.ganged && !unganged.contains(entry.hostName);
        c.applyGangChoices(edited);
    }
    QCOMPARE(c.gangNamesToSave(), stored);
}

void TestHdrController::resetOnlyWithAdjustOn()
{
    Rig rig;
    HdrController &c = rig.start();
    c.setParameter(PC::LiftMaster, 250);
    c.setParameter(PC::LogLook, 900);
    c.setParameter(PC::ColorfrontMode, 0);
    c.resetValues();
    QCOMPARE(c.value(PC::LiftMaster), 250);
    c.setParameter(PC::ColorfrontMode, 1);
    QVERIFY(rig.settle());
    rig.units.clearLog();
    QSignalSpy done(&c, &HdrController::resetDone);
    c.resetValues();
    QCOMPARE(done.size(), 1);
    QVERIFY(rig.settle());
    QCOMPARE(rig.of(0, "set"), (QStringList{vid(1, PC::LiftMaster) + " 0", vid(1, PC::LogLook) + " 500"}));
}

// Undo writes the earlier values to the current unit and the gang; values
// read back from the unit are no steps; each channel has its own history.
void TestHdrController::undoAndRedoWriteLikeAnyChange()
{
    Rig rig;
    HdrController &c = rig.start(0, {FakeUnits::hostName(1)});
    c.beginGesture();
    for (int position : {1100, 1200, 1300})
        c.setParameter(PC::GainRed, position);
    c.endGesture();
    c.resetValues();
    rig.units.setValue(0, vid(1, PC::Tint), "400");
    c.refreshNow();
    QVERIFY(rig.settle());
    QCOMPARE(c.undoSteps(), 2);
    c.undo(); // the reset
    QCOMPARE(c.value(PC::GainRed), 1300);
    c.undo(); // the drag
    QCOMPARE(c.value(PC::GainRed), 1000);
    QCOMPARE(c.value(PC::Tint), 400);
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(1, vid(1, PC::GainRed)), QByteArray("1000"));
    c.redo();
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(1, vid(1, PC::GainRed)), QByteArray("1300"));
    c.selectChannel(1);
    QVERIFY(rig.settle());
    QCOMPARE(c.undoSteps(), 0);
    c.selectChannel(0);
    QVERIFY(rig.settle());
    QCOMPARE(c.undoSteps(), 1);
}

void TestHdrController::abToggleWritesOnlyWhatDiffers()
{
    Rig rig;
    HdrController &c = rig.start(0, {FakeUnits::hostName(1)});
    c.storeLook(AbMemory::Which::A);
    c.setParameter(PC::Saturation, 1400);
    c.setParameter(PC::OutDynRange, 2);
    c.storeLook(AbMemory::Which::B);
    QCOMPARE(c.liveLook(), AbMemory::Which::B);
    c.setParameter(PC::Tint, 50);
    QVERIFY(c.liveLookChanged());
    QVERIFY(rig.settle());
    rig.units.clearLog();
    c.toggleLooks();
    QCOMPARE(c.liveLook(), AbMemory::Which::A);
    QVERIFY(!c.liveLookChanged());
    QVERIFY(rig.settle());
    const QStringList written{vid(1, PC::OutDynRange) + " 0", vid(1, PC::Saturation) + " 1000",
                              vid(1, PC::Tint) + " 0"};
    for (int unit : {0, 1})
        QCOMPARE(rig.of(unit, "set"), written);
    c.undo(); // the toggle was one step
    QCOMPARE(c.value(PC::Tint), 50);
    QCOMPARE(c.value(PC::Saturation), 1400);
}

void TestHdrController::copyChannelToOtherChannelsAndUnits()
{
    Rig rig;
    HdrController &c = rig.start(0, {FakeUnits::hostName(1)});
    c.setParameter(PC::LiftRed, -120);
    QVERIFY(rig.settle());
    const QVector<HdrController::CopyTarget> targets = c.copyTargets();
    QCOMPARE(targets.size(), 3 + 5);
    QCOMPARE(targets.first().channel, 2);
    c.copyChannel({{FakeUnits::address(0), 3}, {FakeUnits::address(1), 4}});
    QVERIFY(rig.settle());
    QCOMPARE(rig.units.value(0, vid(3, PC::LiftRed)), QByteArray("-120"));
    QCOMPARE(rig.units.value(1, vid(4, PC::LiftRed)), QByteArray("-120"));
    QCOMPARE(rig.units.value(0, vid(2, PC::LiftRed)), QByteArray("0"));
    QCOMPARE(rig.of(0, "set").filter(vid(3, 0).left(13)).size(), PC::BoundCount - 1);
}

QTEST_GUILESS_MAIN(TestHdrController)
#include "tst_hdrcontroller.moc"
