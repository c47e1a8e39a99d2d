#include "processusage.h"
#include "samplestats.h"

#include <QtTest>

using Samples = std::vector<double>;
Q_DECLARE_METATYPE(Samples)

// The benchmark's helpers that decide its verdicts: the median of its
// samples, and the CPU time it reads of a process from /proc.
class TestBenchHelpers : public QObject
{
    Q_OBJECT

private slots:
    void sampleStats_data();
    void sampleStats();
    void cpuTicks_data();
    void cpuTicks();
};

void TestBenchHelpers::sampleStats_data()
{
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<QString>("text");

    QTest::newRow("even count takes the middle mean") << Samples{4, 1, 2, 10} << QStringLiteral("3.0 (1.0–10.0)");
    QTest::newRow("outlier does not move the median") << Samples{1, 1, 1, 1, 1000} << QStringLiteral("1.0 (1.0–1000.0)");
    QTest::newRow("none") << Samples{} << QStringLiteral("n/a");
}

void TestBenchHelpers::sampleStats()
{
    QFETCH(Samples, samples);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(SampleStats(samples).format(1)), text);
}

// The CPU ticks (user and system) from the text of /proc/PID/stat; -1 when it holds none.
void TestBenchHelpers::cpuTicks_data()
{
    QTest::addColumn<QByteArray>("stat");
    QTest::addColumn<qlonglong>("ticks");

    const QByteArray fields = " S 1 2 3 0 -1 4194560 100 0 0 0 25 17 0 0 20 0 3 0 1000 1000000 500";
    QTest::newRow("name with blanks and parentheses") << QByteArray("4242 (a b) (c)") + fields << 42LL;
    QTest::newRow("cut short") << QByteArray("4242 (prismolink) S 1 2 3") << -1LL;
    QTest::newRow("not a number") << QByteArray("4242 (x) S 1 2 3 0 -1 4194560 100 0 0 0 2x 17 0") << -1LL;
}

void TestBenchHelpers::cpuTicks()
{
    QFETCH(QByteArray, stat);
    QFETCH(qlonglong, ticks);
    QCOMPARE(static_cast<qlonglong>(ProcessUsage::cpuTicksFromStat(stat.toStdString()).value_or(-1)), ticks);
}

QTEST_GUILESS_MAIN(TestBenchHelpers)
#include "tst_benchhelpers.moc"
