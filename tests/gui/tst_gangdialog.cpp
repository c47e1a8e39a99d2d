#include "gangdialog.h"
#include "ui_gangdialog.h"

#include <QtTest>

namespace {
DeviceEntry entry(const QString &host, bool ganged = false, bool current = false)
{
    DeviceEntry e;
    e.deviceName = QStringLiteral("Prismo ");
    e.hostName = host;
    e.ipAddress = QStringLiteral("10.0.0.1");
    e.ganged = ganged;
    e.current = current;
    return e;
}

QList<bool> marks(const GangDialog &dialog)
{
    QList<bool> result;
    for (const DeviceEntry &e : dialog.deviceList())
        result << e.ganged;
    return result;
}
} // namespace

class TestGangDialog : public QObject
{
    Q_OBJECT

private slots:
    void togglingRecordsTheMark_data();
    void togglingRecordsTheMark();
    void clickOnTextLeavesMark();
};

void TestGangDialog::togglingRecordsTheMark_data()
{
    QTest::addColumn<bool>("withKeyboard");
    QTest::newRow("check box clicked") << false;
    QTest::newRow("space bar") << true;
}

// Both ways of toggling a unit reach the dialog's copy of the list, and
// entries of the same host name change together.
void TestGangDialog::togglingRecordsTheMark()
{
    QFETCH(bool, withKeyboard);

    GangDialog dialog({entry("a "), entry("twin "), entry("b "), entry("twin ")});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QListWidget *list = dialog.form().gangListWidget;
    QListWidgetItem *twin = list->item(1);
    if (withKeyboard) {
        list->setFocus();
        list->setCurrentItem(twin);
        QTest::keyClick(list->viewport(), Qt::Key_Space);
    } else {
        const QRect row = list->visualItemRect(twin);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.left() + row.height() / 2, row.center().y()));
    }
    QCOMPARE(twin->checkState(), Qt::Checked);
    QCOMPARE(marks(dialog), (QList<bool>{false, true, false, true}));
}

void TestGangDialog::clickOnTextLeavesMark()
{
    GangDialog dialog({entry("a ", true), entry("b ")});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QListWidget *list = dialog.form().gangListWidget;
    const QRect row = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.right() - 10, row.center().y()));
    QCOMPARE(list->item(1)->checkState(), Qt::Unchecked);
    QCOMPARE(marks(dialog), (QList<bool>{true, false}));
}

QTEST_MAIN(TestGangDialog)
#include "tst_gangdialog.moc"
