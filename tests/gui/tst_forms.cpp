#include "gangdialog.h"
#include "hdrcontroller.h"
#include "hdrparameterdialog.h"
#include "modalprompt.h"
#include "parametercatalogue.h"
#include "slidersteps.h"
#include "ui_gangdialog.h"
#include "ui_hdrparameterdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QtTest>

#include <algorithm>

using PC = ParameterCatalogue;

// What the main window builds from the parameter table, its about box, the
// gang dialog, and its sliders' keyboard and wheel steps.
class TestForms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void adjustGroupHoldsItsRows();
    void aboutBox();
    void gangMarks_data();
    void gangMarks();
    void fineAndCoarseSteps_data();
    void fineAndCoarseSteps();
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

// The window's about box: the program's version, the legal notice with its
// sign, and Qt's licence once, filled in when the box runs.
void TestForms::aboutBox()
{
    HdrController controller({});
    HDRParameterDialog window(controller, QStringLiteral("1.3"), QString());
    QStringList shown;
    ModalPrompt::setHandler([&](QDialog &dialog) {
        QTimer::singleShot(0, &dialog, &QDialog::accept);
        const int answer = dialog.exec();
        for (const char *label : {"versionLabel", "legalNoticeLabel"})
            shown << dialog.findChild<QLabel *>(QLatin1String(label))->text();
        const QString licences = dialog.findChild<QTextBrowser *>(QStringLiteral("licencesBrowser"))->toPlainText();
        shown << QString::number(licences.count(QLatin1String("Qt Cross-platform library")));
        return answer;
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "slot_about"));
    ModalPrompt::setHandler({});
    QCOMPARE(shown, (QStringList{"Version 1.3", QString::fromUtf8("Copyright \u00a9 TAVI"), "1"}));
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

void TestForms::fineAndCoarseSteps_data()
{
    QTest::addColumn<int>("key"); // 0: a wheel notch up
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("moved");

    QTest::newRow("arrow") << int(Qt::Key_Right) << int(Qt::NoModifier) << 10;
    QTest::newRow("arrow, Shift: finer") << int(Qt::Key_Up) << int(Qt::ShiftModifier) << 1;
    QTest::newRow("arrow, Ctrl: coarser") << int(Qt::Key_Left) << int(Qt::ControlModifier) << -100;
    QTest::newRow("page") << int(Qt::Key_PageDown) << int(Qt::NoModifier) << -100;
    QTest::newRow("wheel, Ctrl: coarser") << 0 << int(Qt::ControlModifier) << 100;
}

void TestForms::fineAndCoarseSteps()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, moved);

    QSlider slider(Qt::Horizontal);
    slider.setRange(-1000, 1000);
    slider.setPageStep(100);
    SliderSteps steps;
    slider.installEventFilter(&steps);
    if (key) {
        QTest::keyClick(&slider, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    } else {
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
        QApplication::sendEvent(&slider, &wheel);
    }
    QCOMPARE(slider.value(), moved);
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
