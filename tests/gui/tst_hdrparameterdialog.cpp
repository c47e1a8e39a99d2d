#include "dialogfixture.h"
#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QtTest>

using PC = ParameterCatalogue;
using Request = DialogFixture::Request;

namespace {
const auto describe = DialogFixture::describe;

// The read-back order of one channel's slots.
const int readOrder[] = {28, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,
                         15, 16, 17, 18, 19, 20, 22, 23, 24, 25, 27, 26};
// The write order of a pass.
const int writeOrder[] = {28, 0, 1, 2, 3, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                          16, 17, 18, 19, 6, 4, 5, 20, 22, 23, 24, 25, 27, 26};
} // namespace

// The window adjusting units: identification, change passes, read-back and
// the dialog's lifecycle, against simulated units.
class TestHDRParameterDialog : public QObject
{
    Q_OBJECT

private slots:
    void identificationRequests();
    void title_data();
    void title();
    void channelList_data();
    void channelList();
    void refusedOrUnreachableUnit_data();
    void refusedOrUnreachableUnit();
    void unitNotReadyAtStartIsTakenUpLater_data();
    void unitNotReadyAtStartIsTakenUpLater();
    void startUpWritesOnlyTheUnitsOwnValues_data();
    void startUpWritesOnlyTheUnitsOwnValues();
    void newCurrentUnitKeepsChannelsApart();
    void sliderMoveReachesCurrentThenGang();
    void forcedPassWritesEverySlot();
    void passWithoutChangeOnlyRestartsHold();
    void choosersWriteTheirRowValue_data();
    void choosersWriteTheirRowValue();
    void channelRows_data();
    void channelRows();
    void readBackTakesOverAndForwards();
    void readBackRepliesIntoControls_data();
    void readBackRepliesIntoControls();
    void noReadBackWhileChangesKeepComing();
    void failedReadLeavesControl();
    void unitGoingAwayDoesNotFreeze();
    void resetOnlyWithAdjustStoredOn();
    void contextMenu();
};

void TestHDRParameterDialog::identificationRequests()
{
    DialogFixture f;
    f.open(DialogFixture::address(0));
    const QList<Request> all = f.requests();
    QStringList expected;
    const QString unit = DialogFixture::address(0);
    expected << unit + " get eParamID_ProductID text-plain" << unit + " get eParamID_SystemName text-plain"
             << unit + " get eParamID_SoftwareVersion text-plain" << unit + " get eParamID_ZyloMode text-plain";
    // The channel the filled list selects is read; it holds what the window shows, so nothing is written.
    for (int slot : readOrder)
        expected << unit + " get " + PC::parameterName(1, slot) + " text-plain";
    expected << unit + " get eParamID_NetworkServices json";
    QCOMPARE(describe(all), expected);
    QVERIFY(f.dialog().currentDeviceLink());
    QVERIFY(f.dialog().currentDeviceLink()->isConnected());
}

void TestHDRParameterDialog::title_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("title");

    QTest::newRow("1.2.3.4") << "Stage A" << QByteArray("16909060") << "" << "Stage A      version 1.2.3.4";
    QTest::newRow("top byte above 127") << "B" << QByteArray("2164392708") << "" << "B      version 129.2.3.4";
    QTest::newRow("version not a number") << "C" << QByteArray("x") << "" << "C      version 0.0.0.0";
    // A failed read never shows the text of another parameter.
    QTest::newRow("name read fails") << "D" << QByteArray("16909060") << "eParamID_SystemName"
                                     << "127.0.0.11      version 1.2.3.4";
    QTest::newRow("version read fails") << "E" << QByteArray("16909060") << "eParamID_SoftwareVersion"
                                        << "E      version 0.0.0.0";
}

void TestHDRParameterDialog::title()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, version);
    QFETCH(QString, failing);
    QFETCH(QString, title);

    DialogFixture f;
    QVERIFY(f.rig().setParameter(0, "eParamID_SystemName", name.toUtf8()));
    QVERIFY(f.rig().setParameter(0, "eParamID_SoftwareVersion", version));
    if (!failing.isEmpty())
        f.setFaults(0, QStringLiteral("fail=") + failing);
    f.open(DialogFixture::address(0));
    QCOMPARE(f.dialog().windowTitle(), title);
}

void TestHDRParameterDialog::channelList_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("read");

    QTest::newRow("four channels") << QByteArray("1") << QStringList{"Video 1", "Video 2", "Video 3", "Video 4"}
                                   << QList<int>{1, 2, 3, 4} << 0 << "eParamID_Vid1";
    QTest::newRow("4K/UHD") << QByteArray("2") << QStringList{"4K/UHD"} << QList<int>{0} << 0 << "eParamID_Vid0";
    QTest::newRow("unknown mode") << QByteArray("0") << QStringList() << QList<int>() << -1 << "eParamID_Vid0";
    QTest::newRow("mode read fails") << QByteArray() << QStringList() << QList<int>() << -1 << "eParamID_Vid0";
}

void TestHDRParameterDialog::channelList()
{
    QFETCH(QByteArray, mode);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, channels);
    QFETCH(int, current);
    QFETCH(QString, read);

    DialogFixture f;
    if (mode.isNull())
        f.setFaults(0, QStringLiteral("fail=eParamID_ZyloMode"));
    else
        QVERIFY(f.rig().setParameter(0, "eParamID_ZyloMode", mode));
    f.open(DialogFixture::address(0));
    QComboBox *chooser = f.dialog().form().currentChannelComboBox;
    QStringList shownTexts;
    QList<int> shownChannels;
    for (int i = 0; i < chooser->count(); ++i) {
        shownTexts << chooser->itemText(i);
        shownChannels << chooser->itemData(i, Qt::UserRole).toInt();
    }
    QCOMPARE(shownTexts, texts);
    QCOMPARE(shownChannels, channels);
    QCOMPARE(chooser->currentIndex(), current);
    // Only the channel selected once the list is filled was read, once.
    int channelReads = 0;
    for (const Request &r : f.gets()) {
        if (r.name.startsWith("eParamID_Vid")) {
            QCOMPARE(r.name.left(13), read);
            ++channelReads;
        }
    }
    QCOMPARE(channelReads, 27);
}

void TestHDRParameterDialog::refusedOrUnreachableUnit_data()
{
    QTest::addColumn<QByteArray>("productId");
    QTest::addColumn<bool>("switchedOff");
    QTest::addColumn<QString>("addressAfter");

    QTest::newRow("other case") << QByteArray("kvel") << false << "";
    QTest::newRow("trailing line end") << QByteArray("KVEL\n") << false << "";
    QTest::newRow("unit off") << QByteArray("KVEL") << true << "127.0.0.11";
}

void TestHDRParameterDialog::refusedOrUnreachableUnit()
{
    QFETCH(QByteArray, productId);
    QFETCH(bool, switchedOff);
    QFETCH(QString, addressAfter);

    DialogFixture f;
    QVERIFY(f.rig().setParameter(0, "eParamID_ProductID", productId));
    if (switchedOff)
        f.rig().switchOff(0);
    HDRParameterDialog &d = f.open(QStringLiteral("  127.0.0.11 "));
    QVERIFY(!d.currentDeviceLink());
    QCOMPARE(d.windowTitle(), QStringLiteral(" No Prismo Found"));
    QCOMPARE(d.currentDeviceAddress(), addressAfter);
    QCOMPARE(d.form().currentPrismoLabel->text(), QStringLiteral("Current Prismo"));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->toolTip(), QStringLiteral("No Prismos Ganged. "));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->count(), 0);
    // With no unit identified, controls change neither their labels nor any unit.
    d.form().masterGainSlider->setValue(2000);
    d.form().outDynRangeGamutChoiceComboBox->setCurrentIndex(3);
    QCOMPARE(d.form().masterGainLabel->text(), QStringLiteral("1.000"));
    QVERIFY(f.sets().isEmpty());
}

void TestHDRParameterDialog::unitNotReadyAtStartIsTakenUpLater_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("switched off") << "";
    // A unit that is still starting answers, but with an error.
    QTest::newRow("product id answered with an error") << "fail=eParamID_ProductID";
}

// A unit that is not ready when the program starts is taken up once it
// answers, without the user typing its address again.
void TestHDRParameterDialog::unitNotReadyAtStartIsTakenUpLater()
{
    QFETCH(QString, fault);
    DialogFixture f;
    if (fault.isEmpty())
        f.rig().switchOff(0);
    else
        f.setFaults(0, fault);
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    QVERIFY(!d.currentDeviceLink());
    if (fault.isEmpty())
        QVERIFY(f.rig().switchOn(0));
    else
        f.setFaults(0, QStringLiteral("none"));
    QTRY_VERIFY_WITH_TIMEOUT(d.currentDeviceLink() != nullptr, 10000);
    QCOMPARE(d.windowTitle().left(8), QStringLiteral("Prismo 1"));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->count(), 3);
}

void TestHDRParameterDialog::startUpWritesOnlyTheUnitsOwnValues_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("held"); // "<suffix>=<value>" on the first channel of the current unit
    QTest::addColumn<QStringList>("shown"); // "<slider>=<position>"

    // The grade on Video 1 differs from the 4K channel's defaults.
    QTest::newRow("grade on video 1") << QString() << QStringList{"ColorHDRGainRed=1500", "ColorHDRLiftMaster=-250",
                                                                 "ColorHDRSaturation=1300"}
                                      << QStringList{"redGainSlider=1500", "masterLiftSlider=-250", "saturationSlider=1300"};
    QTest::newRow("Adjust read fails") << "fail=eParamID_Vid1ColorfrontMode" << QStringList{"ColorfrontMode=0"}
                                       << QStringList();
    QTest::newRow("values outside the ranges")
        << QString() << QStringList{"ColorHDRGainRed=99999", "ColorHDRTint=-2147483648", "ColorHDRPQoutNitLvl=10"}
        << QStringList{"redGainSlider=5000", "tintSlider=-16000", "pqoutnitLevelSlider=48"};
}

// With a saved gang, start-up ends in a pass that writes every parameter to
// every unit: each value written must be the current unit's own value of
// that parameter on the channel written, and a value the window could not
// read or show is not written at all.
void TestHDRParameterDialog::startUpWritesOnlyTheUnitsOwnValues()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, held);
    QFETCH(QStringList, shown);

    DialogFixture f;
    for (const QString &setting : held)
        QVERIFY(f.rig().setParameter(0, DialogFixture::vid(1, setting.section('=', 0, 0).toLatin1()),
                                     setting.section('=', 1).toLatin1()));
    if (!fault.isEmpty())
        f.setFaults(0, fault);
    f.saveSettings(DialogFixture::address(0), {"prismo-2 "});
    HDRParameterDialog &d = f.open(QString());
    QCOMPARE(d.gangLinkCount(), std::size_t(1));

    for (const Request &r : f.sets()) {
        const std::optional<QByteArray> own = f.rig().parameter(0, r.name.toLatin1());
        QVERIFY2(own && *own == r.value.toLatin1(), qPrintable(r.address + " " + r.name + " " + r.value));
    }
    for (const QString &setting : held) {
        const QByteArray name = DialogFixture::vid(1, setting.section('=', 0, 0).toLatin1());
        QCOMPARE(f.rig().parameter(0, name), std::optional<QByteArray>(setting.section('=', 1).toLatin1()));
    }
    for (const QString &setting : shown)
        QCOMPARE(d.findChild<QAbstractSlider *>(setting.section('=', 0, 0))->value(), setting.section('=', 1).toInt());
}

// The same on a change of the current unit while another channel is shown:
// the new unit's values of the channel that stays selected reach the gang.
void TestHDRParameterDialog::newCurrentUnitKeepsChannelsApart()
{
    DialogFixture f;
    QVERIFY(f.rig().setParameter(1, "eParamID_Vid3ColorHDRGainRed", "1777"));
    f.saveSettings(DialogFixture::address(0), {"prismo-2 ", "prismo-3 "});
    HDRParameterDialog &d = f.open(QString());
    d.form().currentChannelComboBox->setCurrentIndex(2); // Video 3
    d.form().currentPrismoChoiceComboBox->setCurrentIndex(1);
    QCOMPARE(d.currentDeviceAddress(), DialogFixture::address(1));
    QCOMPARE(d.form().currentChannelComboBox->currentData().toInt(), 1);
    QCOMPARE(d.form().redGainSlider->value(), 1000);
    for (int unit = 0; unit < 3; ++unit)
        QCOMPARE(f.rig().parameter(unit, "eParamID_Vid1ColorHDRGainRed"), std::optional<QByteArray>("1000"));
    QCOMPARE(f.rig().parameter(1, "eParamID_Vid3ColorHDRGainRed"), std::optional<QByteArray>("1777"));
}

void TestHDRParameterDialog::sliderMoveReachesCurrentThenGang()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.gang({"prismo-2 ", "prismo-3 "});
    QCOMPARE(d.gangLinkCount(), std::size_t(2));
    f.clearRequests();

    d.form().redGainSlider->setValue(1250);
    const QString name = "eParamID_Vid1ColorHDRGainRed";
    QCOMPARE(describe(f.requests()), (QStringList{"127.0.0.11 set " + name + " 1250", "127.0.0.12 set " + name + " 1250",
                                                  "127.0.0.13 set " + name + " 1250"}));
    QCOMPARE(d.form().redGainLabel->text(), QStringLiteral("1.250"));
    QCOMPARE(f.rig().parameter(2, name.toUtf8()), std::optional<QByteArray>("1250"));
    QVERIFY(d.isRefreshHeld());
}

void TestHDRParameterDialog::forcedPassWritesEverySlot()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.clearRequests();
    f.gang({"prismo-2 "});
    QCOMPARE(d.gangLinkCount(), std::size_t(1));

    QStringList expected;
    for (int slot : writeOrder) {
        for (const QString &unit : {QStringLiteral("127.0.0.11"), QStringLiteral("127.0.0.12")})
            expected << unit + " set " + PC::parameterName(1, slot);
    }
    QStringList written;
    for (const Request &r : f.sets())
        written << r.address + " set " + r.name;
    QCOMPARE(written.size(), 56);
    QCOMPARE(written, expected);
    QCOMPARE(f.sets().first().value, QStringLiteral("1"));
}

void TestHDRParameterDialog::passWithoutChangeOnlyRestartsHold()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.releaseHold();
    QVERIFY(!d.isRefreshHeld());
    f.clearRequests();
    QMetaObject::invokeMethod(&d, "valueChanged", Q_ARG(int, 0));
    QVERIFY(f.requests().isEmpty());
    QVERIFY(d.isRefreshHeld());
}

void TestHDRParameterDialog::choosersWriteTheirRowValue_data()
{
    QTest::addColumn<QString>("chooser");
    QTest::addColumn<int>("channelIndex");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");

    QTest::newRow("monitor on video 3") << "monDynRangeGamutChoiceComboBox" << 2 << 6
                                        << "eParamID_MonDynamicRangeAndGamutOut" << "6";
    QTest::newRow("input SDR extended") << "inDynRangeGamutChoiceComboBox" << 1 << 1
                                        << "eParamID_Vid2DynamicRangeAndGamut" << "15";
}

void TestHDRParameterDialog::choosersWriteTheirRowValue()
{
    QFETCH(QString, chooser);
    QFETCH(int, channelIndex);
    QFETCH(int, row);
    QFETCH(QString, name);
    QFETCH(QString, value);

    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    d.form().currentChannelComboBox->setCurrentIndex(channelIndex);
    f.clearRequests();
    d.findChild<QComboBox *>(chooser)->setCurrentIndex(row);
    QCOMPARE(describe(f.sets()), QStringList{"127.0.0.11 set " + name + " " + value});
}

void TestHDRParameterDialog::channelRows_data()
{
    QTest::addColumn<QVariant>("channel");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("3") << QVariant(3) << "eParamID_Vid3";
    QTest::newRow("empty chooser") << QVariant() << "eParamID_Vid0";
}

void TestHDRParameterDialog::channelRows()
{
    QFETCH(QVariant, channel);
    QFETCH(QString, prefix);

    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    QComboBox *chooser = d.form().currentChannelComboBox;
    f.clearRequests();
    if (channel.isValid()) {
        chooser->addItem(QStringLiteral("test"), channel);
        chooser->setCurrentIndex(chooser->count() - 1);
    } else {
        chooser->clear(); // reads the channel again, as any change of the chooser does
    }
    const QList<Request> gets = f.gets();
    QCOMPARE(gets.size(), 28);
    for (const Request &r : gets)
        QVERIFY2(r.name.startsWith(prefix) || r.name == "eParamID_MonDynamicRangeAndGamutOut", qPrintable(r.name));
}

void TestHDRParameterDialog::readBackTakesOverAndForwards()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.gang({"prismo-2 ", "prismo-3 "});
    QVERIFY(f.rig().setParameter(0, "eParamID_Vid1ColorHDRGainRed", "1100"));
    f.clearRequests();
    f.readBack();

    QCOMPARE(d.form().redGainSlider->value(), 1100);
    QCOMPARE(d.form().redGainLabel->text(), QStringLiteral("1.100"));
    QCOMPARE(describe(f.sets()), (QStringList{"127.0.0.11 set eParamID_Vid1ColorHDRGainRed 1100",
                                              "127.0.0.12 set eParamID_Vid1ColorHDRGainRed 1100",
                                              "127.0.0.13 set eParamID_Vid1ColorHDRGainRed 1100"}));
    // 28 reads of the current unit, then one poll of each ganged unit, in gang order.
    const QList<Request> gets = f.gets();
    QCOMPARE(gets.size(), 30);
    QCOMPARE(describe(gets.mid(28)), (QStringList{"127.0.0.12 get eParamID_Vid1ColorfrontMode text-plain",
                                                  "127.0.0.13 get eParamID_Vid1ColorfrontMode text-plain"}));

    // A second read-back finds everything as sent and writes nothing.
    f.clearRequests();
    f.readBack();
    QVERIFY(f.sets().isEmpty());
}

void TestHDRParameterDialog::readBackRepliesIntoControls_data()
{
    QTest::addColumn<QByteArray>("suffix");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QStringList>("written");

    QTest::newRow("switch 0") << QByteArray("SdrPreview") << QByteArray("0") << "clampCheckBox" << int(Qt::Unchecked)
                              << QStringList();
    QTest::newRow("switch 2") << QByteArray("P3ColorspaceClamp") << QByteArray("2") << "clampP3CheckBox"
                              << int(Qt::Checked) << QStringList{"1"};
    // An empty body is no switch state: the switch stays, nothing is written.
    QTest::newRow("switch empty") << QByteArray("SdrPreview") << QByteArray() << "clampCheckBox" << int(Qt::Unchecked)
                                  << QStringList();
    QTest::newRow("output 7") << QByteArray("DynamicRangeAndGamutOut") << QByteArray("7")
                              << "outDynRangeGamutChoiceComboBox" << 5 << QStringList{"7"};
    // A choice the list does not hold leaves the chooser, and nothing is written.
    QTest::newRow("output without row") << QByteArray("DynamicRangeAndGamutOut") << QByteArray("15")
                                        << "outDynRangeGamutChoiceComboBox" << 0 << QStringList();
    // A value outside the range shows the nearer end, which is never written back.
    QTest::newRow("exposure above range") << QByteArray("ColorHDRExposure") << QByteArray("4500") << "exposureSlider"
                                          << 4000 << QStringList();
    QTest::newRow("gain far above range") << QByteArray("ColorHDRGainRed") << QByteArray("99999") << "redGainSlider"
                                          << 5000 << QStringList();
    QTest::newRow("tint at the lowest int") << QByteArray("ColorHDRTint") << QByteArray("-2147483648") << "tintSlider"
                                            << -16000 << QStringList();
    QTest::newRow("PQ level below range") << QByteArray("ColorHDRPQoutNitLvl") << QByteArray("10")
                                          << "pqoutnitLevelSlider" << 48 << QStringList();
    // A reply that is no number moves nothing and writes nothing.
    QTest::newRow("gain not a number") << QByteArray("ColorHDRGainRed") << QByteArray("abc") << "redGainSlider" << 1000
                                       << QStringList();
    QTest::newRow("PQ level") << QByteArray("ColorHDRPQoutNitLvl") << QByteArray("48") << "pqoutnitLevelSlider" << 48
                              << QStringList{"48"};
}

void TestHDRParameterDialog::readBackRepliesIntoControls()
{
    QFETCH(QByteArray, suffix);
    QFETCH(QByteArray, reply);
    QFETCH(QString, control);
    QFETCH(int, shown);
    QFETCH(QStringList, written);

    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    QVERIFY(f.rig().setParameter(0, DialogFixture::vid(1, suffix), reply));
    f.clearRequests();
    f.readBack();

    QWidget *widget = d.findChild<QWidget *>(control);
    int value = -1;
    if (auto *box = qobject_cast<QCheckBox *>(widget))
        value = box->checkState();
    else if (auto *chooser = qobject_cast<QComboBox *>(widget))
        value = chooser->currentIndex();
    else if (auto *slider = qobject_cast<QAbstractSlider *>(widget))
        value = slider->value();
    QCOMPARE(value, shown);
    QStringList values;
    for (const Request &r : f.sets()) {
        QCOMPARE(r.name, QString::fromLatin1(DialogFixture::vid(1, suffix)));
        values << r.value;
    }
    QCOMPARE(values, written);
}

void TestHDRParameterDialog::noReadBackWhileChangesKeepComing()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.releaseHold();
    d.form().tintSlider->setValue(100);
    f.clearRequests();
    QMetaObject::invokeMethod(&d, "updateFromPrismo");
    QVERIFY(f.requests().isEmpty());
    d.form().tintSlider->setValue(200);
    QMetaObject::invokeMethod(&d, "updateFromPrismo");
    QCOMPARE(f.requests().size(), 1);
    // The hold ends with its timer: then the read-back runs by itself.
    QTRY_VERIFY_WITH_TIMEOUT(f.gets().size() >= 28, 10000);
}

void TestHDRParameterDialog::failedReadLeavesControl()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.setFaults(0, QStringLiteral("fail=eParamID_Vid1ColorHDRGainRed"));
    QVERIFY(f.rig().setParameter(0, "eParamID_Vid1ColorHDRGainBlue", "1500"));
    f.clearRequests();
    f.readBack();
    QCOMPARE(d.form().redGainSlider->value(), 1000);
    QCOMPARE(d.form().blueGainSlider->value(), 1500);
    QCOMPARE(describe(f.sets()), QStringList{"127.0.0.11 set eParamID_Vid1ColorHDRGainBlue 1500"});
}

void TestHDRParameterDialog::unitGoingAwayDoesNotFreeze()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.setFaults(0, QStringLiteral("stall"));

    QElapsedTimer clock;
    clock.start();
    f.readBack();
    QVERIFY2(clock.elapsed() < 1800, qPrintable(QString::number(clock.elapsed())));
    d.form().masterGainSlider->setValue(1200);
    QVERIFY2(clock.elapsed() < 1800, qPrintable(QString::number(clock.elapsed())));

    // Back again: the window carries on with the unit by itself.
    f.setFaults(0, QStringLiteral("none"));
    QVERIFY(f.rig().setParameter(0, "eParamID_Vid1ColorHDRTint", "300"));
    QTRY_VERIFY_WITH_TIMEOUT((f.readBack(), d.form().tintSlider->value() == 300), 15000);
    QVERIFY(d.currentDeviceLink());
}

void TestHDRParameterDialog::resetOnlyWithAdjustStoredOn()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    d.form().masterLiftSlider->setValue(250);
    d.form().lookSlider->setValue(900);

    d.form().adjustGroupBox->setChecked(false);
    QMetaObject::invokeMethod(&d, "valueChanged", Q_ARG(int, 0));
    f.clearRequests();
    QTest::mousePress(d.form().resetButton, Qt::LeftButton);
    QCOMPARE(d.form().masterLiftSlider->value(), 250);
    QVERIFY(f.requests().isEmpty());
    QTest::mouseRelease(d.form().resetButton, Qt::LeftButton);

    d.form().adjustGroupBox->setChecked(true);
    QMetaObject::invokeMethod(&d, "valueChanged", Q_ARG(int, 0));
    f.clearRequests();
    QTest::mousePress(d.form().resetButton, Qt::LeftButton); // acts on press
    QCOMPARE(d.form().masterLiftSlider->value(), 0);
    QCOMPARE(d.form().lookSlider->value(), 500);
    QCOMPARE(describe(f.sets()), (QStringList{"127.0.0.11 set eParamID_Vid1ColorHDRLiftMaster 0",
                                              "127.0.0.11 set eParamID_Vid1ColorHDRLogLook 500"}));
    QTest::mouseRelease(d.form().resetButton, Qt::LeftButton);
    QVERIFY(d.isRefreshHeld());
}

void TestHDRParameterDialog::contextMenu()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(QString());
    const std::unique_ptr<QMenu> menu = d.createContextMenu();
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions[0]->text(), QStringLiteral("Version 1.3"));
    QVERIFY(actions[1]->isSeparator());
    QCOMPARE(actions[2]->text(), QStringLiteral("Set Prismo Gang List"));
    QCOMPARE(actions[2]->statusTip(), QStringLiteral("Open Prismo Gang List"));
    QVERIFY(actions[3]->isSeparator());
    QCOMPARE(actions[4]->text(), QStringLiteral("About %1...").arg(QCoreApplication::applicationName()));
    // Menus shown again and again leave nothing behind on the window.
    const int children = d.children().size();
    d.createContextMenu();
    QCOMPARE(d.children().size(), children);
}

QTEST_MAIN(TestHDRParameterDialog)
#include "tst_hdrparameterdialog.moc"
