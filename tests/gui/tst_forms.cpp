#include "gangdialog.h"
#include "hdrcontroller.h"
#include "hdrparameterdialog.h"
#include "modalprompt.h"
#include "parametercatalogue.h"
#include "ui_gangdialog.h"
#include "ui_hdrparameterdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QStandardPaths>
#include <QtTest>

#include <algorithm>

using PC = ParameterCatalogue;

// What the main window builds from the parameter table, its about box, and
// the gang dialog.
class TestForms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void adjustGroupHoldsItsRows();
    void aboutBox_data();
    void aboutBox();
    void gangMarks_data();
    void gangMarks();
};

void TestForms::initTestCase()
{
    // The main window keeps its settings; keep a test run away from the user's.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setApplicationName(QStringLiteral("Prismolink"));
}

// The Adjust group shows the table's sliders and switches top to bottom in
// the table's order, each with its caption, clear of the rows around it and
// inside the group, which stays inside the window; a slider's label starts
// at its start value.
void TestForms::adjustGroupHoldsItsRows()
{
    HdrController controller({});
    HDRParameterDialog window(controller, QString(), QString());
    const QGroupBox *group = window.form().adjustGroupBox;
    QVERIFY(window.rect().contains(group->geometry()));
    int top = 0;
    for (const ParameterRow &row : ParameterTable::rows) {
        if (row.window != WindowPlace::AdjustGroup)
            continue;
        const QWidget *control = group->findChild<QWidget *>(QLatin1String(row.widget));
        QVERIFY2(control, row.widget);
        QVERIFY2(control->y() >= top && group->rect().contains(control->geometry()), row.widget);
        top = control->geometry().bottom() + 1;
        if (const auto *box = qobject_cast<const QCheckBox *>(control)) {
            QCOMPARE(box->text(), QLatin1String(row.caption));
            continue;
        }
        QCOMPARE(window.slider(row.slot), control);
        QCOMPARE(window.valueLabel(row.slot)->text(), PC::labelText(row.slot, row.startPosition));
        QCOMPARE(window.valueLabel(row.slot)->y(), control->y());
        const auto captions = group->findChildren<QLabel *>();
        QVERIFY2(std::any_of(captions.cbegin(), captions.cend(),
                             [&](const QLabel *label) { return label->text() == QLatin1String(row.caption) && label->y() == control->y(); }),
                 row.caption);
    }
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
