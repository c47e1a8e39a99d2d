#include "stracesummary.h"

#include <QtTest>

class TestStraceSummary : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void perUnit_data();
    void perUnit();
};

namespace {
const char *const header = "% time     seconds  usecs/call     calls    errors syscall\n"
                           "------ ----------- ----------- --------- --------- ----------------\n";
const char *const footer = "------ ----------- ----------- --------- --------- ----------------\n";
} // namespace

void TestStraceSummary::parse_data()
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

void TestStraceSummary::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(long, total);
    QFETCH(long, recvfrom);

    const StraceSummary summary = StraceSummary::parse(text.toStdString());
    QCOMPARE(summary.total(), total);
    QCOMPARE(summary.calls("recvfrom"), recvfrom);
}

void TestStraceSummary::perUnit_data()
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

void TestStraceSummary::perUnit()
{
    QFETCH(QByteArray, shorter);
    QFETCH(QByteArray, longer);
    QFETCH(QString, mix);

    const std::string text = StraceSummary::perUnit(StraceSummary::parse(shorter.toStdString()),
                                                    StraceSummary::parse(longer.toStdString()), 100);
    QCOMPARE(QString::fromStdString(text), mix);
}

QTEST_GUILESS_MAIN(TestStraceSummary)
#include "tst_stracesummary.moc"
