#include "tavicombobox.h"
#include "tavislider.h"
#include "tavistyle.h"

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QToolTip>
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
        if (event->type() != QEvent::ToolTip)
            return QWidget::event(event);
        ++toolTipRequests;
        return true;
    }
};
} // namespace

// The program's own widgets and look.
class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sliderClickPages();
    void checkMarkFollowsIndex_data();
    void checkMarkFollowsIndex();
    void toolTipStaysWithTheBox_data();
    void toolTipStaysWithTheBox();
    void wheelOutsideTheBox_data();
    void wheelOutsideTheBox();
    void finishedSheet();
    void noFocusFrame();
};

void TestWidgets::initTestCase()
{
    // In the program's own look; the application owns the style.
    QApplication::setStyle(new TaviStyle(TaviStyle::slateTheme));
    qApp->setStyleSheet(TaviStyle(TaviStyle::slateTheme).styleSheet());
}

// A click on the groove of a slider as the window makes it (no jump to the
// click) pages towards the pointer, as any slider does.
void TestWidgets::sliderClickPages()
{
    QWidget window;
    TaviSlider slider(&window);
    slider.setOrientation(Qt::Horizontal);
    slider.setGeometry(0, 0, 211, 20);
    slider.setRange(-1000, 1000);
    slider.setPageStep(100);
    slider.setValue(1000);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(5, 10));
    QCOMPARE(slider.value(), 900);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(5, 10));
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

void TestWidgets::noFocusFrame()
{
    for (int theme : {0, TaviStyle::slateTheme}) {
        QImage image(200, 40, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        const QImage blank = image;
        QPainter painter(&image);
        QStyleOptionFocusRect option;
        option.rect = QRect(10, 10, 180, 20);
        option.state = QStyle::State_Enabled | QStyle::State_HasFocus;
        TaviStyle(theme).drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter);
        painter.end();
        QVERIFY2(image == blank, qPrintable(QString::number(theme)));
    }
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
