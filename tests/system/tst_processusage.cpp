#include "processusage.h"

#include <QtTest>

#include <unistd.h>

class TestProcessUsage : public QObject
{
    Q_OBJECT

private slots:
    void cpuTicks_data();
    void cpuTicks();
    void peakMemory_data();
    void peakMemory();
    void ownProcess();
};

void TestProcessUsage::cpuTicks_data()
{
    QTest::addColumn<QByteArray>("stat");
    QTest::addColumn<bool>("found");
    QTest::addColumn<qlonglong>("ticks");

    const QByteArray fields = " S 1 2 3 0 -1 4194560 100 0 0 0 25 17 0 0 20 0 3 0 1000 1000000 500";
    QTest::newRow("name with blanks and parentheses") << QByteArray("4242 (a b) (c)") + fields << true << 42LL;
    QTest::newRow("cut short") << QByteArray("4242 (prismolink) S 1 2 3") << false << 0LL;
    QTest::newRow("not a number") << QByteArray("4242 (x) S 1 2 3 0 -1 4194560 100 0 0 0 2x 17 0") << false << 0LL;
}

void TestProcessUsage::cpuTicks()
{
    QFETCH(QByteArray, stat);
    QFETCH(bool, found);
    QFETCH(qlonglong, ticks);

    const std::optional<long long> read = ProcessUsage::cpuTicksFromStat(stat.toStdString());
    QCOMPARE(read.has_value(), found);
    if (found)
        QCOMPARE(static_cast<qlonglong>(*read), ticks);
}

void TestProcessUsage::peakMemory_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<bool>("found");
    QTest::addColumn<long>("kilobytes");

    QTest::newRow("among other lines") << QByteArray("Name:\tprismolink\nVmPeak:\t  400000 kB\nVmHWM:\t   31232 kB\nVmRSS:\t 30000 kB\n")
                                       << true << 31232L;
    QTest::newRow("missing") << QByteArray("Name:\tprismolink\nVmRSS:\t 30000 kB\n") << false << 0L;
}

void TestProcessUsage::peakMemory()
{
    QFETCH(QByteArray, status);
    QFETCH(bool, found);
    QFETCH(long, kilobytes);

    const std::optional<long> read = ProcessUsage::peakKilobytesFromStatus(status.toStdString());
    QCOMPARE(read.has_value(), found);
    if (found)
        QCOMPARE(*read, kilobytes);
}

// The running test itself: its CPU time grows with work, and it has memory.
void TestProcessUsage::ownProcess()
{
    const std::optional<ProcessUsage::Sample> before = ProcessUsage::of(getpid());
    QVERIFY(before);
    QVERIFY(before->peakKilobytes > 0);
    volatile double sink = 0;
    std::optional<ProcessUsage::Sample> after;
    QTRY_VERIFY_WITH_TIMEOUT((
        [&] {
            for (int i = 0; i < 1000000; ++i)
                sink = sink + i;
            after = ProcessUsage::of(getpid());
            return after && after->cpuSeconds > before->cpuSeconds;
        }()),
        60000);
    QVERIFY(!ProcessUsage::of(-1));
}

QTEST_GUILESS_MAIN(TestProcessUsage)
#include "tst_processusage.moc"
