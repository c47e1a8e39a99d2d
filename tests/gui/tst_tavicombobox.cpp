#include "tavicombobox.h"
#include "tavicomboboxmodel.h"
#include "tavistyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <QtTest>

namespace {
// Counts the tool-tip requests that travel up to it.
class Parent : public QWidget
{
public:
    int toolTipRequests = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) {
            ++toolTipRequests;
            return true;
        }
        return QWidget::event(event);
    }
};

QVector<int> checkedRows(const QComboBox &box)
{
    QVector<int> rows;
    for (int row = 0; row < box.count(); ++row) {
        if (box.model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked)
            rows << row;
    }
    return rows;
}
} // namespace

class TestTaviComboBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void checkMarkFollowsIndex_data();
    void checkMarkFollowsIndex();
    void rowFlags();
    void toolTipStaysWithTheBox_data();
    void toolTipStaysWithTheBox();
    void wheel_data();
    void wheel();
    void paintsRows();
};

void TestTaviComboBox::initTestCase()
{
    // The delegate draws its check mark through the application's style, and
    // the plain common style leaves combo boxes to the sheet.
    auto *style = new TaviStyle(TaviStyle::slateTheme);
    QApplication::setStyle(style);
    qApp->setStyleSheet(style->styleSheet());
}

void TestTaviComboBox::checkMarkFollowsIndex_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QVector<int>>("marked");

    QTest::newRow("index 1") << "select 1" << QVector<int>{1};
    QTest::newRow("no current item") << "select -1" << QVector<int>{};
    QTest::newRow("row inserted before the current one") << "insert 0" << QVector<int>{2};
    QTest::newRow("current row removed") << "remove 1" << QVector<int>{1};
    QTest::newRow("cleared") << "clear" << QVector<int>{};
}

void TestTaviComboBox::checkMarkFollowsIndex()
{
    QFETCH(QString, action);
    QFETCH(QVector<int>, marked);

    TaviComboBox box;
    box.addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    const QStringList words = action.split(QLatin1Char(' '));
    if (words[0] == QLatin1String("select")) {
        box.setCurrentIndex(words[1].toInt());
    } else if (words[0] == QLatin1String("insert")) {
        box.setCurrentIndex(1);
        box.insertItem(words[1].toInt(), QStringLiteral("new"));
    } else if (words[0] == QLatin1String("remove")) {
        box.setCurrentIndex(1);
        box.removeItem(words[1].toInt());
    } else if (words[0] == QLatin1String("clear")) {
        box.setCurrentIndex(1);
        box.clear();
    }
    QCOMPARE(checkedRows(box), marked);
    QCOMPARE(box.currentIndex(), marked.isEmpty() ? box.currentIndex() : marked.first());
}

// The marked item stays a plain row: never editable or user-checkable.
void TestTaviComboBox::rowFlags()
{
    TaviComboBox box;
    box.addItems({QStringLiteral("a"), QStringLiteral("b")});
    const Qt::ItemFlags plain = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    QCOMPARE(box.model(), box.taviModel());
    QCOMPARE(box.model()->flags(box.model()->index(0, 0)), plain);
    QCOMPARE(box.model()->flags(box.model()->index(1, 0)), plain);
}

void TestTaviComboBox::toolTipStaysWithTheBox_data()
{
    QTest::addColumn<bool>("tavi");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<int>("reachingParent");

    QTest::newRow("empty tip") << true << QString() << 0;
    QTest::newRow("gang list") << true << QStringLiteral("Ganged: Edit Suite 2") << 0;
    // A plain combo box passes an empty request on; the counter sees it.
    QTest::newRow("plain combo box, empty tip") << false << QString() << 1;
}

void TestTaviComboBox::toolTipStaysWithTheBox()
{
    QFETCH(bool, tavi);
    QFETCH(QString, tip);
    QFETCH(int, reachingParent);

    Parent parent;
    parent.resize(300, 100);
    QComboBox *box = tavi ? new TaviComboBox(&parent) : new QComboBox(&parent);
    box->setGeometry(10, 10, 195, 20);
    box->setToolTip(tip);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QToolTip::showText(parent.mapToGlobal(QPoint(5, 5)), QStringLiteral("stale tip"), &parent);
    QVERIFY(QToolTip::isVisible());
    QHelpEvent request(QEvent::ToolTip, QPoint(20, 10), box->mapToGlobal(QPoint(20, 10)));
    QApplication::sendEvent(box, &request);

    QCOMPARE(parent.toolTipRequests, reachingParent);
    if (tavi) {
        if (tip.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 5000);
        else
            QCOMPARE(QToolTip::text(), tip);
    }
    QToolTip::hideText();
}

void TestTaviComboBox::wheel_data()
{
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<bool>("changes");

    QTest::newRow("inside") << QPoint(50, 10) << true;
    QTest::newRow("left of the box") << QPoint(-5, 10) << false;
}

void TestTaviComboBox::wheel()
{
    QFETCH(QPoint, position);
    QFETCH(bool, changes);

    QWidget window;
    TaviComboBox box(&window);
    box.setGeometry(10, 10, 195, 20);
    box.addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    box.setCurrentIndex(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QWheelEvent event(QPointF(position), QPointF(box.mapToGlobal(position)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&box, &event);
    QVERIFY(event.isAccepted());
    QCOMPARE(box.currentIndex() != 1, changes);
    QCOMPARE(checkedRows(box), QVector<int>{box.currentIndex()});
}

// The check mark left of x = 20 on the current row only; the text from x = 22.
void TestTaviComboBox::paintsRows()
{
    TaviComboBox box;
    box.addItems({QStringLiteral("SDR BT.709 100 Nits"), QStringLiteral("PQ BT.2020 1000 Nits")});
    box.setCurrentIndex(0);
    const QColor background(1, 2, 3);
    for (int row = 0; row < 2; ++row) {
        QImage image(200, 20, QImage::Format_RGB32);
        image.fill(background);
        QStyleOptionViewItem option;
        option.initFrom(box.view());
        option.rect = image.rect();
        option.state = QStyle::State_Enabled;
        {
            QPainter painter(&image);
            box.itemDelegate()->paint(&painter, option, box.model()->index(row, 0));
        }
        const auto touched = [&](const QRect &area) {
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (image.pixelColor(x, y) != background)
                        return true;
            return false;
        };
        QCOMPARE(touched(QRect(0, 0, 20, 20)), row == 0);
        QVERIFY(touched(QRect(22, 0, 30, 20)));
    }
}

QTEST_MAIN(TestTaviComboBox)
#include "tst_tavicombobox.moc"
