#include "copychanneldialog.h"
#include "dialogfixture.h"
#include "gangdialog.h"
#include "hdrcontroller.h"
#include "modalprompt.h"
#include "prismosettings.h"
#include "ui_copychanneldialog.h"
#include "ui_hdrparameterdialog.h"
#include "unitchooser.h"

#include <QAbstractSlider>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QtTest>

using PC = ParameterCatalogue;

// The window as a view over the controller, against simulated units: its
// controls reach the units, and it shows what the controller has.
class TestHDRParameterDialog : public QObject
{
    Q_OBJECT

private slots:
    void controlsReachTheUnits_data();
    void controlsReachTheUnits();
    void windowShowsTheUnits();
    void channelResetAndAddress();
    void withoutUnitNothingMoves();
    void gangDialogAndSettingsSavedAtClose();
    void historyAndLooksByKeyboardAndMenu();
    void looksInFiles();
    void copyChannelDialog();
    void keyboardStepsAndTypedValues();
};

void TestHDRParameterDialog::controlsReachTheUnits_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("written");

    QTest::newRow("chooser row") << "outDynRangeGamutChoiceComboBox" << 5 << int(PC::OutDynRange) << "7";
    QTest::newRow("check box") << "clampP3CheckBox" << 1 << int(PC::P3Clamp) << "1";
    QTest::newRow("Adjust click") << "adjustGroupBox" << 0 << int(PC::ColorfrontMode) << "0";
}

void TestHDRParameterDialog::controlsReachTheUnits()
{
    QFETCH(QString, control);
    QFETCH(int, value);
    QFETCH(int, slot);
    QFETCH(QString, written);

    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.clearRequests();
    QWidget *widget = d.findChild<QWidget *>(control);
    if (auto *chooser = qobject_cast<QComboBox *>(widget))
        chooser->setCurrentIndex(value);
    else if (auto *box = qobject_cast<QCheckBox *>(widget))
        box->setChecked(value != 0);
    else
        QTest::keyClick(widget, Qt::Key_Space); // the group's title check box, as the user toggles it
    QVERIFY(f.settle());
    QCOMPARE(f.sets(), QStringList{DialogFixture::address(0) + ' ' + PC::parameterName(1, slot) + ' ' + written});
}

// Title, device list with each unit's state, the gang's label and tool tip.
void TestHDRParameterDialog::windowShowsTheUnits()
{
    DialogFixture f;
    f.saveSettings(DialogFixture::address(0), {"prismo-2 "});
    f.rig().switchOff(1);
    HDRParameterDialog &d = f.open(QString());
    QCOMPARE(d.windowTitle(), QStringLiteral("Prismo 1      version 1.4.2.7"));
    // Every label shows the unit's value once its channel is read.
    QCOMPARE(d.valueLabel(PC::PqNitLevel)->text(), QStringLiteral("1000"));
    QComboBox *devices = d.form().currentPrismoChoiceComboBox;
    QCOMPARE(devices->count(), 3);
    QCOMPARE(d.form().currentPrismoLabel->text(), QStringLiteral("Current Prismo (ganged)"));
    QTRY_COMPARE_WITH_TIMEOUT(devices->toolTip(), QStringLiteral("Ganged Prismos:\n- prismo-2  (not answering)"), 10000);
    QCOMPARE(devices->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("prismo-2 : not answering"));
    QVERIFY(!devices->itemIcon(1).isNull());
    // The same state keeps its icon when the list is shown again: a new one
    // each time filled Qt's pixmap cache.
    const qint64 icon = devices->itemIcon(1).cacheKey();
    d.controller().discover();
    QVERIFY(f.settle());
    QCoreApplication::processEvents();
    QCOMPARE(devices->itemIcon(1).cacheKey(), icon);
}

// The channel chooser, the reset button and the address field as the user
// works them: a change lands on the chosen channel, Reset puts it back, and
// a new address makes that unit current.
void TestHDRParameterDialog::channelResetAndAddress()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    d.form().currentChannelComboBox->setCurrentIndex(2);
    QVERIFY(f.settle());
    d.slider(PC::Tint)->setValue(10);
    QVERIFY(f.settle());
    const QByteArray tint = PC::parameterName(3, PC::Tint);
    QCOMPARE(f.rig().parameter(0, tint), std::optional<QByteArray>("10"));
    QTest::mouseClick(d.form().resetButton, Qt::LeftButton);
    QVERIFY(f.settle());
    QCOMPARE(f.rig().parameter(0, tint), std::optional<QByteArray>("0"));

    d.form().ipAddressLineEdit->setText(DialogFixture::address(1));
    QTest::keyClick(d.form().ipAddressLineEdit, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(d.controller().units().address(), DialogFixture::address(1), 10000);
}

// With no unit identified, controls change neither their labels nor any unit.
void TestHDRParameterDialog::withoutUnitNothingMoves()
{
    DialogFixture f;
    f.rig().switchOff(0);
    HDRParameterDialog &d = f.open(QStringLiteral("  127.0.0.11 "));
    d.slider(PC::GainMaster)->setValue(2000);
    QCOMPARE(d.valueLabel(PC::GainMaster)->text(), QStringLiteral("1.000"));
    QVERIFY(f.sets().isEmpty());
}

// At close the window saves the address it shows and the gang, with saved
// units the list lacks.
void TestHDRParameterDialog::gangDialogAndSettingsSavedAtClose()
{
    DialogFixture f;
    f.saveSettings(QStringLiteral(" 127.0.0.11  "), {"prismo-3 ", "elsewhere "});
    HDRParameterDialog &d = f.open(QString());
    QCOMPARE(d.form().ipAddressLineEdit->text(), QStringLiteral(" 127.0.0.11  "));
    QCOMPARE(d.controller().units().address(), DialogFixture::address(0));
    f.gang({"prismo-2 ", "prismo-3 "});
    QCOMPARE(d.controller().units().gangSize(), 2);
    // While the dialog is open another unit becomes current (from the panel,
    // say): the choices apply to the list as it is when the dialog closes.
    f.editGang([&d](GangDialog &) {
        d.form().currentPrismoChoiceComboBox->setCurrentIndex(1);
        return int(QDialog::Accepted);
    });
    QVERIFY(f.settle());
    QCOMPARE(d.controller().units().gangHostNames(), QStringList{"prismo-3 "});
    f.close();
    PrismoSettings stored;
    stored.load();
    QCOMPARE(stored.address, DialogFixture::address(1));
    QCOMPARE(stored.gangNames, (QStringList{"prismo-3 ", "elsewhere "}));
}

// Undo and redo by their keys; looks stored as A and B from the menu and
// switched by button and key, the state label telling which is live.
void TestHDRParameterDialog::historyAndLooksByKeyboardAndMenu()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    // Menus shown again and again leave nothing behind on the window.
    const int children = d.children().size();
    d.createContextMenu();
    QCOMPARE(d.children().size(), children);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QAbstractSlider *saturation = d.slider(PC::Saturation);
    saturation->setValue(1400);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> redoKeys[] = {{Qt::Key_Y, Qt::ControlModifier},
                                                                   {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}};
    for (const auto &[key, modifiers] : redoKeys) {
        QTest::keyClick(&d, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(saturation->value(), 1000);
        QTest::keyClick(&d, key, modifiers);
        QCOMPARE(saturation->value(), 1400);
    }
    QVERIFY(!d.form().abToggleButton->isEnabled());
    f.trigger("Store as A");
    d.slider(PC::Exposure)->setValue(-700);
    f.trigger("Store as B");
    QCOMPARE(d.form().abStateLabel->text(), QStringLiteral("B live"));
    d.slider(PC::Tint)->setValue(10);
    QCOMPARE(d.form().abStateLabel->text(), QStringLiteral("B live, changed"));
    QTest::mouseClick(d.form().abToggleButton, Qt::LeftButton);
    QCOMPARE(d.form().abStateLabel->text(), QStringLiteral("A live"));
    QCOMPARE(d.slider(PC::Exposure)->value(), 0);
    QTest::keyClick(&d, Qt::Key_Backslash);
    QCOMPARE(d.slider(PC::Exposure)->value(), -700);
}

// A look saved and loaded again; a file that cannot be used is refused with
// a message, and nothing is written.
void TestHDRParameterDialog::looksInFiles()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("day.json"));
    d.slider(PC::LiftRed)->setValue(-90);
    ModalPrompt::setHandler([&path](QDialog &dialog) {
        static_cast<QFileDialog &>(dialog).selectFile(path);
        return int(QDialog::Accepted);
    });
    f.trigger("Save Look...");
    d.slider(PC::LiftRed)->setValue(0);
    f.trigger("Load Look...");
    QCOMPARE(d.slider(PC::LiftRed)->value(), -90);

    QFile bad(dir.filePath(QStringLiteral("newer.json")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(R"({"format": "Prismolink look", "version": 9})");
    bad.close();
    QVERIFY(f.settle());
    f.clearRequests();
    QString message;
    ModalPrompt::setHandler([&message](QDialog &dialog) {
        message = static_cast<QMessageBox &>(dialog).text();
        return int(QDialog::Accepted);
    });
    QVERIFY(!d.loadLook(bad.fileName()));
    QVERIFY2(message.contains(QStringLiteral("newer Prismolink")), qPrintable(message));
    QVERIFY(f.settle());
    QVERIFY(f.sets().isEmpty());
    QCOMPARE(PrismoSettings::recentLooks(), QStringList{path});
}

void TestHDRParameterDialog::copyChannelDialog()
{
    DialogFixture f;
    f.saveSettings(DialogFixture::address(0), {"prismo-2 "});
    HDRParameterDialog &d = f.open(QString());
    d.slider(PC::GainBlue)->setValue(1800);
    QStringList offered;
    QString source;
    ModalPrompt::setHandler([&](QDialog &dialog) {
        const Ui::CopyChannelDialog &form = static_cast<CopyChannelDialog &>(dialog).form();
        source = form.sourceLabel->text();
        for (int i = 0; i < form.targetListWidget->count(); ++i)
            offered << form.targetListWidget->item(i)->text();
        form.targetListWidget->item(1)->setCheckState(Qt::Checked); // Video 3 of the current unit
        form.targetListWidget->item(4)->setCheckState(Qt::Checked); // Video 1 of the ganged unit
        // The panel or OSC chooses another channel while the dialog is open.
        f.controller().submit(Input::selectChannel(2));
        return int(QDialog::Accepted);
    });
    f.trigger("Copy Channel...");
    QCOMPARE(source, QStringLiteral("Copy the look of prismo-1: Video 1 to:"));
    QCOMPARE(offered.mid(0, 5), (QStringList{"prismo-1: Video 2", "prismo-1: Video 3", "prismo-1: Video 4",
                                             "prismo-2: 4K/UHD", "prismo-2: Video 1"}));
    QVERIFY(f.settle());
    const QByteArray name = "ColorHDRGainBlue";
    QCOMPARE(f.rig().parameter(0, "eParamID_Vid3" + name), std::optional<QByteArray>("1800"));
    QCOMPARE(f.rig().parameter(1, "eParamID_Vid1" + name), std::optional<QByteArray>("1800"));
    QCOMPARE(f.rig().parameter(0, "eParamID_Vid2" + name), std::optional<QByteArray>("1000"));
}

// The window's sliders take the finer and coarser steps, and a value typed
// into a label; Escape leaves the value.
void TestHDRParameterDialog::keyboardStepsAndTypedValues()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QTest::keyClick(d.slider(PC::ColorTemp), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(d.slider(PC::ColorTemp)->value(), -100);
    const std::pair<const char *, Qt::Key> entries[] = {{"1.5", Qt::Key_Return}, {"3", Qt::Key_Escape}};
    for (const auto &[typed, key] : entries) {
        QTest::mouseDClick(d.valueLabel(PC::GainMaster), Qt::LeftButton);
        QLineEdit *editor = d.findChild<QLineEdit *>(QStringLiteral("valueEditor"));
        QVERIFY(editor);
        editor->setText(QLatin1String(typed));
        QTest::keyClick(editor, key);
        QTRY_VERIFY(!d.findChild<QLineEdit *>(QStringLiteral("valueEditor"))); // closed either way
        QCOMPARE(d.slider(PC::GainMaster)->value(), 1500);
    }
    QCOMPARE(d.valueLabel(PC::GainMaster)->text(), QStringLiteral("1.500"));
}

QTEST_MAIN(TestHDRParameterDialog)
#include "tst_hdrparameterdialog.moc"
