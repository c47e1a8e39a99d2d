#include "gangdialog.h"
#include "hdrcontroller.h"
#include "hdrparameterdialog.h"
#include "modalprompt.h"
#include "parametercatalogue.h"
#include "tavicombobox.h"
#include "ui_gangdialog.h"
#include "ui_hdrparameterdialog.h"

#include <QApplication>
#include <QStandardPaths>
#include <QtTest>

using PC = ParameterCatalogue;

// The main window's form, built on a bare dialog so that the window's own
// binding (which sets ranges from the parameter table) cannot hide a form
// that disagrees with the table; what the window adds to it; the gang dialog.
class TestForms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controlAgreesWithTheTable_data();
    void controlAgreesWithTheTable();
    void everyControlIsInTheTable();
    void focusOrder();
    void aboutBox_data();
    void aboutBox();
    void gangMarks_data();
    void gangMarks();

private:
    QDialog m_dialog;
    Ui::HDRParameterDialog m_ui;
};

void TestForms::initTestCase()
{
    // The main window keeps its settings; keep a test run away from the user's.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setApplicationName(QStringLiteral("Prismolink"));
    m_ui.setupUi(&m_dialog);
}

void TestForms::controlAgreesWithTheTable_data()
{
    QTest::addColumn<int>("slot");
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        if (PC::slot(slot).kind != PC::Kind::Unbound)
            QTest::newRow(PC::slot(slot).widget) << slot;
    }
}

// Range, steps and start position, and the value label's start text; the
// choosers' rows come from the table alone.
void TestForms::controlAgreesWithTheTable()
{
    QFETCH(int, slot);
    const PC::SlotInfo &info = PC::slot(slot);
    QWidget *control = m_dialog.findChild<QWidget *>(QLatin1String(info.widget));
    QVERIFY(control);
    const auto *slider = qobject_cast<QAbstractSlider *>(control);
    const auto *box = qobject_cast<QCheckBox *>(control);
    const auto *group = qobject_cast<QGroupBox *>(control);

    if (info.kind == PC::Kind::Choice) {
        QVERIFY(qobject_cast<TaviComboBox *>(control));
        QCOMPARE(qobject_cast<TaviComboBox *>(control)->count(), 0);
    } else if (info.kind == PC::Kind::Switch) {
        QVERIFY(box || (group && group->isCheckable()));
        QCOMPARE(int(box ? box->isChecked() : group->isChecked()), info.startPosition);
    } else {
        QVERIFY(slider);
        const QString steps = QStringLiteral("%1..%2 step %3 page %4 at %5");
        QCOMPARE(steps.arg(slider->minimum()).arg(slider->maximum()).arg(slider->singleStep()).arg(slider->pageStep())
                     .arg(slider->value()),
                 steps.arg(info.minimum).arg(info.maximum).arg(info.singleStep).arg(info.pageStep).arg(info.startPosition));
        const auto *label = m_dialog.findChild<QLabel *>(QLatin1String(info.valueLabel));
        QVERIFY(label);
        QCOMPARE(label->text(), PC::labelText(slot, info.startPosition));
    }
}

// A slider or range chooser the table does not know would be dead to the
// controller and the panel.
void TestForms::everyControlIsInTheTable()
{
    QStringList bound;
    for (int slot = 0; slot < PC::SlotCount; ++slot)
        bound << QLatin1String(PC::slot(slot).widget);
    for (const QAbstractSlider *slider : m_dialog.findChildren<QAbstractSlider *>())
        QVERIFY2(bound.contains(slider->objectName()), qPrintable(slider->objectName()));
    for (const QComboBox *chooser : m_dialog.findChildren<QComboBox *>()) {
        QVERIFY2(qobject_cast<const TaviComboBox *>(chooser), qPrintable(chooser->objectName()));
        QVERIFY2(bound.contains(chooser->objectName()) || chooser == m_ui.currentPrismoChoiceComboBox ||
                     chooser == m_ui.currentChannelComboBox,
                 qPrintable(chooser->objectName()));
    }
}

void TestForms::focusOrder()
{
    const QStringList expected = {
        "ipAddressLineEdit", "resetButton", "clampCheckBox", "adjustGroupBox", "blueGainSlider", "redGainSlider",
        "masterLiftSlider", "masterGainSlider", "blueGammaSlider", "redGammaSlider", "redLiftSlider",
        "greenGainSlider", "hdrAmountSlider", "greenLiftSlider", "hdrRangeSlider", "masterGammaSlider",
        "blueLiftSlider", "greenGammaSlider", "saturationSlider", "lookSlider", "sdrSoftnessSlider",
        "colorTempSlider", "bt2408Slider", "tintSlider", "exposureSlider", "pqoutnitLevelSlider", "clampP3CheckBox",
    };

    m_dialog.show();
    QApplication::setActiveWindow(&m_dialog);
    QVERIFY(QTest::qWaitForWindowActive(&m_dialog));
    m_ui.ipAddressLineEdit->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget *>(m_ui.ipAddressLineEdit), 5000);

    QStringList visited;
    for (int i = 0; i <= expected.size(); ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        visited << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    // Round again to the start: labels and choosers never take the focus.
    QCOMPARE(visited, expected + QStringList{expected.first()});
    m_dialog.hide();
}

void TestForms::aboutBox_data()
{
    QTest::addColumn<QString>("programVersion");
    QTest::addColumn<QString>("shown");

    QTest::newRow("version record") << "1.3" << "Version 1.3";
    QTest::newRow("no version record") << "" << "Version 0.0.0 (devel)";
}

// The program's version, or a stand-in when the build has none.
void TestForms::aboutBox()
{
    QFETCH(QString, programVersion);
    QFETCH(QString, shown);

    HdrController controller({});
    HDRParameterDialog window(controller, programVersion, QString());
    QString version;
    ModalPrompt::setHandler([&](QDialog &dialog) {
        if (auto *label = dialog.findChild<QLabel *>(QStringLiteral("versionLabel")))
            version = label->text();
        return int(QDialog::Accepted);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "slot_about"));
    ModalPrompt::setHandler({});
    QCOMPARE(version, shown);
}

void TestForms::gangMarks_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<bool>>("marks");

    // Entries of the same host name change together; others keep their marks.
    QTest::newRow("check box clicked") << "box" << QList<bool>{true, true, false, true, false};
    QTest::newRow("space bar") << "space" << QList<bool>{true, true, false, true, false};
    QTest::newRow("click on the text leaves the marks") << "text" << QList<bool>{true, false, false, false, false};
}

// The units but the current one are offered; what the user toggles reaches
// the dialog's copy of the list.
void TestForms::gangMarks()
{
    QFETCH(QString, how);
    QFETCH(QList<bool>, marks);

    QList<DeviceEntry> devices;
    for (const char *host : {"a ", "twin ", "b ", "twin ", "current "}) {
        devices.append(DeviceEntry());
        devices.last().hostName = QLatin1String(host);
    }
    devices[0].ganged = true;
    devices[4].current = true;
    GangDialog dialog(devices);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QListWidget *list = dialog.form().gangListWidget;
    QCOMPARE(list->count(), 4);
    QListWidgetItem *twin = list->item(1);
    const QRect row = list->visualItemRect(twin);
    if (how == QLatin1String("space")) {
        list->setFocus();
        list->setCurrentItem(twin);
        QTest::keyClick(list->viewport(), Qt::Key_Space);
    } else {
        const int x = how == QLatin1String("box") ? row.left() + row.height() / 2 : row.right() - 10;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(x, row.center().y()));
    }
    QCOMPARE(twin->checkState(), marks[1] ? Qt::Checked : Qt::Unchecked);
    QList<bool> ganged;
    for (const DeviceEntry &e : dialog.deviceList())
        ganged << e.ganged;
    QCOMPARE(ganged, marks);
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
