#include "samplestats.h"

#include <QtTest>

class TestSampleStats : public QObject
{
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
};

using Samples = std::vector<double>;
Q_DECLARE_METATYPE(Samples)

void TestSampleStats::summary_data()
{
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<double>("median");
    QTest::addColumn<QString>("text");

    QTest::newRow("even count takes the middle mean") << Samples{4, 1, 2, 10} << 3.0 << QStringLiteral("3.0 (1.0–10.0)");
    QTest::newRow("outlier does not move the median") << Samples{1, 1, 1, 1, 1000} << 1.0
                                                       << QStringLiteral("1.0 (1.0–1000.0)");
    QTest::newRow("none") << Samples{} << 0.0 << QStringLiteral("n/a");
}

void TestSampleStats::summary()
{
    QFETCH(Samples, samples);
    QFETCH(double, median);
    QFETCH(QString, text);

    const SampleStats stats(samples);
    QCOMPARE(stats.median(), median);
    QCOMPARE(stats.count(), static_cast<int>(samples.size()));
    QCOMPARE(QString::fromStdString(stats.format(1)), text);
}

QTEST_GUILESS_MAIN(TestSampleStats)
#include "tst_samplestats.moc"
