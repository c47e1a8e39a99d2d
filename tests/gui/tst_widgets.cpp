#include "tavicombobox.h"
#include "tavislider.h"
#include "tavistyle.h"

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionSlider>
#include <QToolTip>
#include <QtTest>

namespace {
// QTest's mouse moves carry no held button on widgets, so events are sent by hand.
void mouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, const QPoint &pos)
{
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Where the slider's style puts its parts.
class ProbedSlider : public TaviSlider
{
public:
    using TaviSlider::TaviSlider;
    QRect part(QStyle::SubControl control) const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, control, this);
    }
};

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
    void sliderClick_data();
    void sliderClick();
    void checkMarkFollowsIndex_data();
    void checkMarkFollowsIndex();
    void toolTipStaysWithTheBox_data();
    void toolTipStaysWithTheBox();
    void wheelOutsideTheBox_data();
    void wheelOutsideTheBox();
    void replaceTokens_data();
    void replaceTokens();
    void finishedSheet();
    void noFocusFrame();
};

void TestWidgets::initTestCase()
{
    // In the program's own look; the application owns the style.
    QApplication::setStyle(new TaviStyle(TaviStyle::slateTheme));
    qApp->setStyleSheet(TaviStyle(TaviStyle::slateTheme).styleSheet());
}

void TestWidgets::sliderClick_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("jumpToClick");
    QTest::addColumn<bool>("onHandle");
    QTest::addColumn<int>("expected");

    QTest::newRow("jump, middle of the groove") << false << true << false << 0;
    QTest::newRow("jump, on the handle") << false << true << true << 1000;
    // Without the jump (the look slider) a click pages towards the pointer, as any slider does.
    QTest::newRow("no jump, middle of the groove") << false << false << false << 900;
    // A right click is reported and moves nothing.
    QTest::newRow("right click") << true << true << false << 1000;
}

void TestWidgets::sliderClick()
{
    QFETCH(bool, right);
    QFETCH(bool, jumpToClick);
    QFETCH(bool, onHandle);
    QFETCH(int, expected);
    const Qt::MouseButton button = right ? Qt::RightButton : Qt::LeftButton;

    QWidget window;
    ProbedSlider slider(&window, jumpToClick);
    slider.setOrientation(Qt::Horizontal);
    slider.setGeometry(0, 0, 211, 20);
    slider.setRange(-1000, 1000);
    slider.setPageStep(100);
    slider.setValue(1000);
    QSignalSpy rightClicks(&slider, &TaviSlider::rightClick);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QRect handle = slider.part(QStyle::SC_SliderHandle);
    const QRect groove = slider.part(QStyle::SC_SliderGroove);
    const QPoint target = onHandle ? handle.center() : QPoint((groove.left() + groove.right() + 1) / 2, groove.center().y());
    QVERIFY(handle.isValid() && handle.contains(target) == onHandle);

    mouse(&slider, QEvent::MouseButtonPress, button, button, target);
    QCOMPARE(slider.value(), expected);
    QCOMPARE(slider.isPressed(), !right);
    QCOMPARE(rightClicks.count(), right ? 1 : 0);
    // After a jump the handle lies under the pointer: moving on drags it.
    const QPoint end = !right && jumpToClick && !onHandle ? target + QPoint(50, 0) : target;
    mouse(&slider, QEvent::MouseMove, Qt::NoButton, button, end);
    QCOMPARE(slider.value() > expected, end != target);
    mouse(&slider, QEvent::MouseButtonRelease, button, Qt::NoButton, end);
    QVERIFY(!slider.isPressed());
}

void TestWidgets::checkMarkFollowsIndex_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("row");
    QTest::addColumn<QVector<int>>("marked");

    QTest::newRow("index 0") << "select" << 0 << QVector<int>{0};
    QTest::newRow("no current item") << "select" << -1 << QVector<int>{};
    QTest::newRow("row inserted before the current one") << "insert" << 0 << QVector<int>{2};
    QTest::newRow("current row removed") << "remove" << 1 << QVector<int>{1};
}

// Only the current row is marked, and every row stays a plain one, never
// editable or user-checkable.
void TestWidgets::checkMarkFollowsIndex()
{
    QFETCH(QString, action);
    QFETCH(int, row);
    QFETCH(QVector<int>, marked);

    TaviComboBox box;
    box.addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    box.setCurrentIndex(1);
    if (action == QLatin1String("select"))
        box.setCurrentIndex(row);
    else if (action == QLatin1String("insert"))
        box.insertItem(row, QStringLiteral("new"));
    else
        box.removeItem(row);

    QVector<int> checked;
    for (int r = 0; r < box.count(); ++r) {
        const QModelIndex index = box.model()->index(r, 0);
        QCOMPARE(box.model()->flags(index), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        if (index.data(Qt::CheckStateRole).toInt() == Qt::Checked)
            checked << r;
    }
    QCOMPARE(checked, marked);
    QCOMPARE(box.currentIndex(), marked.value(0, -1));
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

void TestWidgets::replaceTokens_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QVector<TaviStyle::ColourToken>>("tokens");
    QTest::addColumn<QString>("expected");

    const QVector<TaviStyle::ColourToken> slate = TaviStyle::slateTokens();
    QTest::newRow("tokens that begin with another")
        << "a tavislate_defaultTextColor b tavislate_defaultTextColorBright c tavislate_defaultTextColorRealBright"
        << slate << "a rgb(156,156,156) b rgb(183,183,183) c rgb(216,216,216)";
    QTest::newRow("translucent colour")
        << "x tavislate_custom" << QVector<TaviStyle::ColourToken>{{"tavislate_custom", QColor(27, 32, 36, 128)}}
        << "x rgba(27,32,36,128)";
}

void TestWidgets::replaceTokens()
{
    QFETCH(QString, sheet);
    QFETCH(QVector<TaviStyle::ColourToken>, tokens);
    QFETCH(QString, expected);
    QCOMPARE(TaviStyle::replaceTokens(sheet, tokens), expected);
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
