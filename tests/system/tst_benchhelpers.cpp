#include "processusage.h"
#include "samplestats.h"
#include "stracesummary.h"

#include <QtTest>

#include <unistd.h>

using Samples = std::vector<double>;
Q_DECLARE_METATYPE(Samples)

// The benchmark's own helpers: the summary of its samples, what it reads of
// a process from /proc, and strace's counts of system calls.
class TestBenchHelpers : public QObject
{
    Q_OBJECT

private slots:
    void sampleStats_data();
    void sampleStats();
    void procFiles_data();
    void procFiles();
    void ownProcess();
    void straceParse_data();
    void straceParse();
    void stracePerUnit_data();
    void stracePerUnit();
};

namespace {
const char *const header = "% time     seconds  usecs/call     calls    errors syscall\n"
                           "------ ----------- ----------- --------- --------- ----------------\n";
const char *const footer = "------ ----------- ----------- --------- --------- ----------------\n";
} // namespace

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

// The CPU ticks (user and system) from /proc/PID/stat, the peak memory from
// /proc/PID/status; -1 when the text holds none.
void TestBenchHelpers::procFiles_data()
{
    QTest::addColumn<bool>("stat");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qlonglong>("read");

    const QByteArray fields = " S 1 2 3 0 -1 4194560 100 0 0 0 25 17 0 0 20 0 3 0 1000 1000000 500";
    QTest::newRow("stat, name with blanks and parentheses") << true << QByteArray("4242 (a b) (c)") + fields << 42LL;
    QTest::newRow("stat, cut short") << true << QByteArray("4242 (prismolink) S 1 2 3") << -1LL;
    QTest::newRow("stat, not a number") << true << QByteArray("4242 (x) S 1 2 3 0 -1 4194560 100 0 0 0 2x 17 0") << -1LL;
    QTest::newRow("status, among other lines")
        << false << QByteArray("Name:\tprismolink\nVmPeak:\t  400000 kB\nVmHWM:\t   31232 kB\nVmRSS:\t 30000 kB\n") << 31232LL;
    QTest::newRow("status without a peak") << false << QByteArray("Name:\tprismolink\nVmRSS:\t 30000 kB\n") << -1LL;
}

void TestBenchHelpers::procFiles()
{
    QFETCH(bool, stat);
    QFETCH(QByteArray, text);
    QFETCH(qlonglong, read);

    const std::string s = text.toStdString();
    std::optional<long long> got;
    if (stat)
        got = ProcessUsage::cpuTicksFromStat(s);
    else if (const std::optional<long> peak = ProcessUsage::peakKilobytesFromStatus(s))
        got = *peak;
    QCOMPARE(static_cast<qlonglong>(got.value_or(-1)), read);
}

// The running test itself: its CPU time grows with work, and it has memory.
void TestBenchHelpers::ownProcess()
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

void TestBenchHelpers::straceParse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<long>("total");
    QTest::addColumn<long>("recvfrom");

    QTest::newRow("rows with and without errors")
        << QByteArray(header) + " 60.00    0.000600           2       300           recvfrom\n"
                                " 40.00    0.000400           1       200        12 poll\n"
                                "  0.00    0.000000           0         1           sendto\n"
               + footer + "100.00    0.001000           1       501        12 total\n"
        << 501L << 300L;
    QTest::newRow("total row without usecs/call is not counted twice")
        << QByteArray(header) + "100.00    0.000100          10        10           read\n" + footer
               + "100.00    0.000100                    10           total\n"
        << 10L << 0L;
    QTest::newRow("not a summary") << QByteArray("strace: exec: No such file or directory\n") << 0L << 0L;
}

void TestBenchHelpers::straceParse()
{
    QFETCH(QByteArray, text);
    QFETCH(long, total);
    QFETCH(long, recvfrom);

    const StraceSummary summary = StraceSummary::parse(text.toStdString());
    QCOMPARE(summary.total(), total);
    QCOMPARE(summary.calls("recvfrom"), recvfrom);
}

void TestBenchHelpers::stracePerUnit_data()
{
    QTest::addColumn<QByteArray>("shorter");
    QTest::addColumn<QByteArray>("longer");
    QTest::addColumn<QString>("mix");

    const QByteArray start = QByteArray(header) + " 10.00    0.000010           1        40           mmap\n";
    QTest::newRow("shared start-up cancels out")
        << start + "  1.00    0.000001           1       100           sendto\n"
                   "  1.00    0.000001           1       100           recvfrom\n"
        << start + "  1.00    0.000001           1       200           sendto\n"
                   "  1.00    0.000001           1       300           recvfrom\n"
        << QStringLiteral("recvfrom 2.00, sendto 1.00");
    QTest::newRow("rare calls are left out")
        << start << QByteArray(header) + " 10.00    0.000010           1        42           mmap\n"
                                         "  1.00    0.000001           1       100           poll\n"
        << QStringLiteral("poll 1.00");
}

void TestBenchHelpers::stracePerUnit()
{
    QFETCH(QByteArray, shorter);
    QFETCH(QByteArray, longer);
    QFETCH(QString, mix);

    const std::string text = StraceSummary::perUnit(StraceSummary::parse(shorter.toStdString()),
                                                    StraceSummary::parse(longer.toStdString()), 100);
    QCOMPARE(QString::fromStdString(text), mix);
}

QTEST_GUILESS_MAIN(TestBenchHelpers)
#include "tst_benchhelpers.moc"
