#include "hubmessageassembler.h"
#include "hubwords.h"

#include <QtTest>

class TestHubMessageAssembler : public QObject
{
    Q_OBJECT

private slots:
    void reassembledFromAnySplit_data();
    void reassembledFromAnySplit();
    void oversizeSkippedInStep();
    void outOfStepLength();
};

namespace {

// Feeds the stream in pieces and lists what came out: bodies as they are,
// skipped messages as "oversize N".
QStringList run(HubMessageAssembler &assembler, const QByteArray &stream, const QList<int> &cuts)
{
    QStringList out;
    int from = 0;
    QList<int> ends = cuts;
    ends.append(stream.size());
    for (int end : ends) {
        assembler.append(stream.mid(from, end - from));
        from = end;
        for (;;) {
            const HubMessageAssembler::Result r = assembler.next();
            if (r == HubMessageAssembler::Result::NeedMore)
                break;
            if (r == HubMessageAssembler::Result::Message)
                out << QString::fromLatin1(
                    QByteArray(reinterpret_cast<const char *>(assembler.body()), int(assembler.bodyLength())));
            else if (r == HubMessageAssembler::Result::Oversize)
                out << QStringLiteral("oversize %1").arg(assembler.bodyLength());
            else
                out << QStringLiteral("corrupt %1").arg(assembler.bodyLength());
        }
    }
    return out;
}

} // namespace

void TestHubMessageAssembler::reassembledFromAnySplit_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("three messages") << framed("first") + framed("second!") + framed("3") << QStringList{"first", "second!", "3"};
    QTest::newRow("empty message between") << framed("a") + framed("") + framed("b") << QStringList{"a", "", "b"};
    QTest::newRow("oversize between") << framed("a") + framed(QByteArray(1029, 'x')) + framed("b")
                                      << QStringList{"a", "oversize 1029", "b"};
    QTest::newRow("largest that fits") << framed(QByteArray(1028, 'y')) << QStringList{QString(1028, 'y')};
}

// Every single cut and byte-by-byte delivery give the same messages.
void TestHubMessageAssembler::reassembledFromAnySplit()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, expected);

    {
        HubMessageAssembler a;
        QCOMPARE(run(a, stream, {}), expected);
        QVERIFY(a.idle());
    }
    for (int cut = 1; cut < stream.size(); ++cut) {
        HubMessageAssembler a;
        const QStringList got = run(a, stream, {cut});
        if (got != expected)
            QFAIL(qPrintable(QStringLiteral("cut at %1 gave %2").arg(cut).arg(got.join(QLatin1Char(',')))));
    }
    QList<int> everyByte;
    for (int i = 1; i < stream.size(); ++i)
        everyByte << i;
    HubMessageAssembler a;
    QCOMPARE(run(a, stream, everyByte), expected);
}

void TestHubMessageAssembler::oversizeSkippedInStep()
{
    HubMessageAssembler a;
    // Half an oversize body, then a reset (new connection) drops the rest of it.
    QCOMPARE(run(a, framed(QByteArray(3000, 'x')).left(2000), {}), QStringList{"oversize 3000"});
    QVERIFY(!a.idle());
    a.reset();
    QCOMPARE(run(a, framed("fresh"), {}), QStringList{"fresh"});
}

void TestHubMessageAssembler::outOfStepLength()
{
    HubMessageAssembler a;
    const QByteArray stream = QByteArray::fromHex("00010000") + "garbage" + framed("lost");
    QCOMPARE(run(a, stream, {}), QStringList{QStringLiteral("corrupt %1").arg(0x10000)});
    // The caller drops the connection; whatever was queued is gone.
    QVERIFY(a.idle());
    QCOMPARE(run(a, framed("next"), {}), QStringList{"next"});
}

QTEST_GUILESS_MAIN(TestHubMessageAssembler)
#include "tst_hubmessageassembler.moc"
