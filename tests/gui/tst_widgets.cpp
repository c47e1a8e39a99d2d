#include "gangdialog.h"
#include "hdrcontroller.h"
#include "hdrparameterdialog.h"
#include "modalprompt.h"
#include "parametercatalogue.h"
#include "slidersteps.h"
#include "tavicombobox.h"
#include "tavislider.h"
#include "tavistyle.h"
#include "ui_gangdialog.h"
#include "ui_hdrparameterdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QToolTip>
#include <QtTest>

#include <algorithm>

using PC = ParameterCatalogue;

namespace {
// Counts the tool-tip requests that travel up to it.
class Parent : public QWidget
{
public:
    int toolTipRequests = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QWidget::event(event);
        ++toolTipRequests;
        return true;
    }
};
} // namespace

// The program's own widgets and look, what the main window builds from the
// parameter table, its about box, the gang dialog, and its sliders' keyboard
// and wheel steps.
class TestWidgets : public QObject
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
    void checkMarkFollowsIndex_data();
    void checkMarkFollowsIndex();
    void toolTipStaysWithTheBox_data();
    void toolTipStaysWithTheBox();
    void wheelOutsideTheBox_data();
    void wheelOutsideTheBox();
    void finishedSheet();
};

void TestWidgets::initTestCase()
{
    // In the program's own look; the application owns the style.
    QApplication::setStyle(new TaviStyle(TaviStyle::slateTheme));
    qApp->setStyleSheet(TaviStyle(TaviStyle::slateTheme).styleSheet());
    // The main window keeps its settings; keep a test run away from the user's.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setApplicationName(QStringLiteral("Prismolink"));
}

// The Adjust group shows the table's sliders and switches top to bottom in
// the table's order, each with its caption, clear of the rows around it and
// inside the group, which stays inside the window; a slider's label starts
// at its start value.
void TestWidgets::adjustGroupHoldsItsRows()
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
void TestWidgets::aboutBox()
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

void TestWidgets::gangMarks_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<bool>>("marks");

    // Entries of the same host name change together; others keep their marks.
    QTest::newRow("check box toggled (by the space bar)") << "space" << QList<bool>{true, true, false, true, false};
    QTest::newRow("click on the text leaves the marks") << "text" << QList<bool>{true, false, false, false, false};
}

// The units but the current one are offered; what the user toggles reaches
// the dialog's copy of the list.
void TestWidgets::gangMarks()
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
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.right() - 10, row.center().y()));
    }
    QCOMPARE(twin->checkState(), marks[1] ? Qt::Checked : Qt::Unchecked);
    QList<bool> ganged;
    for (const DeviceEntry &e : dialog.deviceList())
        ganged << e.ganged;
    QCOMPARE(ganged, marks);
}

void TestWidgets::fineAndCoarseSteps_data()
{
    QTest::addColumn<int>("key"); // 0: a wheel notch up; -1: a click on the groove left of the handle
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("moved");

    QTest::newRow("arrow") << int(Qt::Key_Right) << int(Qt::NoModifier) << 10;
    QTest::newRow("arrow, Shift: finer") << int(Qt::Key_Up) << int(Qt::ShiftModifier) << 1;
    QTest::newRow("arrow, Ctrl: coarser") << int(Qt::Key_Left) << int(Qt::ControlModifier) << -100;
    QTest::newRow("page") << int(Qt::Key_PageDown) << int(Qt::NoModifier) << -100;
    QTest::newRow("wheel, Ctrl: coarser") << 0 << int(Qt::ControlModifier) << 100;
    QTest::newRow("click: a page towards it") << -1 << int(Qt::NoModifier) << -100;
}

// A slider as the window makes it: no jump to a click, the program's steps.

void TestWidgets::fineAndCoarseSteps()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, moved);

    QWidget window;
    TaviSlider slider(&window);
    slider.setOrientation(Qt::Horizontal);
    slider.setGeometry(0, 0, 211, 20);
    slider.setRange(-1000, 1000);
    slider.setPageStep(100);
    SliderSteps steps;
    slider.installEventFilter(&steps);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (key > 0) {
        QTest::keyClick(&slider, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    } else if (key < 0) {
        QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(5, 10));
    } else {
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
        QApplication::sendEvent(&slider, &wheel);
    }
    QCOMPARE(slider.value(), moved);
}

void TestWidgets::checkMarkFollowsIndex_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("index 0") << 0;
    QTest::newRow("no current item") << -1;
}

// Only the current row is marked, and every row stays a plain one, never
// editable or user-checkable.
void TestWidgets::checkMarkFollowsIndex()
{
    QFETCH(int, row);

    TaviComboBox box;
    box.addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    box.setCurrentIndex(1);
    box.setCurrentIndex(row);

    QVector<int> checked;
    for (int r = 0; r < box.count(); ++r) {
        const QModelIndex index = box.model()->index(r, 0);
        QCOMPARE(box.model()->flags(index), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        if (index.data(Qt::CheckStateRole).toInt() == Qt::Checked)
            checked << r;
    }
    QCOMPARE(checked, row < 0 ? QVector<int>() : QVector<int>{row});
}

void TestWidgets::toolTipStaysWithTheBox_data()
{
    QTest::addColumn<QString>("tip");
    QTest::newRow("empty tip") << QString();
    QTest::newRow("gang list") << QStringLiteral("Ganged: Edit Suite 2");
}

void TestWidgets::toolTipStaysWithTheBox()
{
    QFETCH(QString, tip);

    Parent parent;
    parent.resize(300, 100);
    auto *box = new TaviComboBox(&parent);
    box->setGeometry(10, 10, 195, 20);
    box->setToolTip(tip);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QToolTip::showText(parent.mapToGlobal(QPoint(5, 5)), QStringLiteral("stale tip"), &parent);
    QVERIFY(QToolTip::isVisible());
    QHelpEvent request(QEvent::ToolTip, QPoint(20, 10), box->mapToGlobal(QPoint(20, 10)));
    QApplication::sendEvent(box, &request);

    QCOMPARE(parent.toolTipRequests, 0);
    // The box's own tip replaces a showing one; an empty tip hides it.
    if (tip.isEmpty())
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 5000);
    else
        QCOMPARE(QToolTip::text(), tip);
    QToolTip::hideText();
}

void TestWidgets::wheelOutsideTheBox_data()
{
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<bool>("changes");

    QTest::newRow("inside") << QPoint(50, 10) << true;
    QTest::newRow("left of the box") << QPoint(-5, 10) << false;
}

// A scroll that carries on after the pointer has left leaves the choice alone.
void TestWidgets::wheelOutsideTheBox()
{
    QFETCH(QPoint, position);
    QFETCH(bool, changes);

    TaviComboBox box;
    box.resize(195, 20);
    box.addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    box.setCurrentIndex(1);
    QWheelEvent event(QPointF(position), QPointF(box.mapToGlobal(position)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&box, &event);
    QVERIFY(event.isAccepted());
    QCOMPARE(box.currentIndex() != 1, changes);
}

// The slate sheet has every token filled in and every image it names at
// hand; other themes have no sheet.
void TestWidgets::finishedSheet()
{
    const QString sheet = TaviStyle(TaviStyle::slateTheme).styleSheet();
    QVERIFY2(!sheet.contains(QLatin1String("tavislate_")), "a token was left in the sheet");
    QVERIFY2(!sheet.contains(QLatin1String("Bright")), "a token tail was left in the sheet");

    const QRegularExpression url(QStringLiteral("url\\(([^)]+)\\)"));
    int images = 0;
    for (auto it = url.globalMatch(sheet); it.hasNext(); ++images) {
        const QString path = it.next().captured(1);
        QVERIFY2(!QImage(path).isNull(), qPrintable(path));
    }
    QVERIFY(images > 0);
    QVERIFY(TaviStyle(0).styleSheet().isEmpty());
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
