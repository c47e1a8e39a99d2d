#include "encoderknob.h"

#include <QtTest>

class TestEncoderKnob : public QObject
{
    Q_OBJECT

private slots:
    void turns();
};

void TestEncoderKnob::turns()
{
    EncoderKnob knob(7);
    knob.resize(52, 52);
    QSignalSpy turned(&knob, &EncoderKnob::turned);
    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(26, 26), knob.mapToGlobal(QPoint(26, 26)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&knob, &event);
    };
    wheel(240);
    wheel(60); // half a notch: kept for the next event
    wheel(60);
    wheel(-120);
    QTest::keyClick(&knob, Qt::Key_Up);
    QTest::keyClick(&knob, Qt::Key_PageDown);
    QTest::mousePress(&knob, Qt::LeftButton, Qt::NoModifier, QPoint(26, 40));
    const QPointF dragTo(26, 40 - 3 * EncoderKnob::DragStep - 2);
    QMouseEvent drag(QEvent::MouseMove, dragTo, QPointF(knob.mapToGlobal(dragTo.toPoint())), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&knob, &drag);
    QList<int> detents;
    for (const QList<QVariant> &args : turned) {
        QCOMPARE(args.at(0).toInt(), 7);
        detents << args.at(1).toInt();
    }
    QCOMPARE(detents, (QList<int>{2, 1, -1, 1, -5, 3}));
}

QTEST_MAIN(TestEncoderKnob)
#include "tst_encoderknob.moc"
