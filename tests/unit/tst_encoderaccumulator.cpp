#include "encoderaccumulator.h"

#include <QtTest>

#include <limits>

class TestEncoderAccumulator : public QObject
{
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
};

void TestEncoderAccumulator::steps_data()
{
    QTest::addColumn<QList<float>>("increments");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<float>("rest");

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("15 is not yet a step") << QList<float>{15} << QList<int>{0} << 15.0f;
    QTest::newRow("thresholds") << QList<float>{16, 26, 36, 81, 101, 25, 35, 80, 100}
                                << QList<int>{1, 25, 50, 500, 1000, 1, 25, 50, 500} << 0.0f;
    QTest::newRow("opposite turns cancel") << QList<float>{12, -12, -10, -10} << QList<int>{0, 0, 0, -1} << 0.0f;
    QTest::newRow("NaN ignored") << QList<float>{10, nan, 10} << QList<int>{0, 0, 1} << 0.0f;
    QTest::newRow("infinity ignored") << QList<float>{inf, -inf, 5} << QList<int>{0, 0, 0} << 5.0f;
}

void TestEncoderAccumulator::steps()
{
    QFETCH(QList<float>, increments);
    QFETCH(QList<int>, steps);
    QFETCH(float, rest);
    EncoderAccumulator accumulator;
    QList<int> got;
    for (float increment : increments)
        got << accumulator.feed(increment);
    QCOMPARE(got, steps);
    QCOMPARE(accumulator.sum(), rest);
}

QTEST_GUILESS_MAIN(TestEncoderAccumulator)
#include "tst_encoderaccumulator.moc"
