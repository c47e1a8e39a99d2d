#include "tavislider.h"
#include "tavistyle.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QtTest>


Q_DECLARE_METATYPE(std::optional<int>)

class TestTaviSlider : public QObject
{
    Q_OBJECT

private slots:
    void valueAtPosition_data();
    void valueAtPosition();
    void click_data();
    void click();
    void rightClickSignal();

private:
    static void press(QWidget *w, Qt::MouseButton button, const QPoint &pos);
    static void move(QWidget *w, const QPoint &pos);
    static void release(QWidget *w, Qt::MouseButton button, const QPoint &pos);
    static QRect subControl(const QSlider &slider, QStyle::SubControl control);
};

void TestTaviSlider::press(QWidget *w, Qt::MouseButton button, const QPoint &pos)
{
    QMouseEvent event(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), button, button, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void TestTaviSlider::move(QWidget *w, const QPoint &pos)
{
    QMouseEvent event(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void TestTaviSlider::release(QWidget *w, Qt::MouseButton button, const QPoint &pos)
{
    QMouseEvent event(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

QRect TestTaviSlider::subControl(const QSlider &slider, QStyle::SubControl control)
{
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.orientation = slider.orientation();
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    option.sliderPosition = slider.sliderPosition();
    option.sliderValue = slider.value();
    option.upsideDown = slider.invertedAppearance();
    option.rect = slider.rect();
    if (slider.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    return slider.style()->subControlRect(QStyle::CC_Slider, &option, control, &slider);
}

void TestTaviSlider::valueAtPosition_data()
{
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("handle");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<std::optional<int>>("expected");

    // Groove 0..210 with a 12 px handle: usable from 6 to 204, middle 105.
    QTest::newRow("middle of -1000..1000") << 105 << 0 << 210 << 12 << -1000 << 1000 << std::optional<int>(0);
    QTest::newRow("under the left half handle") << 2 << 0 << 210 << 12 << -1000 << 1000
                                                << std::optional<int>(-1000);
    QTest::newRow("past the end") << 300 << 0 << 210 << 12 << 0 << 1000 << std::optional<int>(1000);
    QTest::newRow("odd handle width halves in whole pixels") << 3 << 0 << 10 << 3 << 0 << 10 << std::optional<int>(3);
    QTest::newRow("negative half rounds away from zero") << 1 << 0 << 2 << 0 << -1 << 0 << std::optional<int>(-1);
    QTest::newRow("reversed range") << 6 << 0 << 210 << 12 << 1000 << 0 << std::optional<int>(1000);
    QTest::newRow("groove no longer than the handle") << 5 << 0 << 10 << 10 << 0 << 100 << std::optional<int>();
}

void TestTaviSlider::valueAtPosition()
{
    QFETCH(int, pos);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, handle);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(std::optional<int>, expected);
    QCOMPARE(TaviSlider::valueAtPosition(pos, first, last, handle, minimum, maximum), expected);
}

void TestTaviSlider::click_data()
{
    QTest::addColumn<bool>("jumpToClick");
    QTest::addColumn<bool>("onHandle");
    QTest::addColumn<int>("expected");

    QTest::newRow("jump, middle of the groove") << true << false << 0;
    QTest::newRow("jump, on the handle") << true << true << 1000;
    // Without the jump (lookSlider) a click pages towards the pointer, as any slider does.
    QTest::newRow("no jump, middle of the groove") << false << false << 900;
}

void TestTaviSlider::click()
{
    QFETCH(bool, jumpToClick);
    QFETCH(bool, onHandle);
    QFETCH(int, expected);

    // In the program's own look: its style and sheet.
    TaviStyle style(TaviStyle::slateTheme);
    QWidget window;
    window.setStyleSheet(style.styleSheet());
    TaviSlider slider(&window, jumpToClick);
    slider.setStyle(&style);
    slider.setOrientation(Qt::Horizontal);
    slider.setGeometry(0, 0, 211, 20);
    slider.setRange(-1000, 1000);
    slider.setPageStep(100);
    slider.setValue(1000);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QRect handle = subControl(slider, QStyle::SC_SliderHandle);
    const QRect groove = subControl(slider, QStyle::SC_SliderGroove);
    QVERIFY(handle.isValid());
    const QPoint target = onHandle ? handle.center() : QPoint((groove.left() + groove.right() + 1) / 2, groove.center().y());
    QVERIFY(onHandle || !handle.contains(target));

    press(&slider, Qt::LeftButton, target);
    QCOMPARE(slider.value(), expected);
    QVERIFY(slider.isPressed());

    if (jumpToClick && !onHandle) {
        // The jump put the handle under the pointer: moving on drags it.
        move(&slider, target + QPoint(50, 0));
        QVERIFY2(slider.value() > expected, qPrintable(QString::number(slider.value())));
        release(&slider, Qt::LeftButton, target + QPoint(50, 0));
    } else {
        release(&slider, Qt::LeftButton, target);
    }
    QVERIFY(!slider.isPressed());
}

void TestTaviSlider::rightClickSignal()
{
    TaviSlider slider(nullptr, true);
    slider.setOrientation(Qt::Horizontal);
    slider.resize(211, 20);
    slider.setRange(0, 1000);
    slider.setValue(500);
    QSignalSpy spy(&slider, &TaviSlider::rightClick);

    press(&slider, Qt::RightButton, QPoint(5, 10));
    release(&slider, Qt::RightButton, QPoint(5, 10));
    QCOMPARE(spy.count(), 1);
    QVERIFY(!slider.isPressed());
    QCOMPARE(slider.value(), 500);

    press(&slider, Qt::LeftButton, QPoint(200, 10));
    release(&slider, Qt::LeftButton, QPoint(200, 10));
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestTaviSlider)
#include "tst_tavislider.moc"
