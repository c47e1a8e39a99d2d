#include "devicedirectory.h"
#include "parameterstate.h"
#include "requestqueue.h"

#include <QtTest>

using PC = ParameterCatalogue;

namespace {
UnitRequest request(UnitRequest::Kind kind, quint64 id, const char *name, const char *value = "")
{
    UnitRequest r;
    r.kind = kind;
    r.id = id;
    r.name = name;
    r.value = value;
    return r;
}

DeviceEntry entry(const char *host, const char *address)
{
    DeviceEntry e;
    e.deviceName = QStringLiteral("Prismo ");
    e.hostName = QString::fromLatin1(host);
    e.ipAddress = QString::fromLatin1(address);
    return e;
}
} // namespace

// The controller's pure parts: what a pass writes, the queue of one unit,
// and the device list with the gang.
class TestControllerParts : public QObject
{
    Q_OBJECT

private slots:
    void passes();
    void valuesFromTheUnit_data();
    void valuesFromTheUnit();
    void queueOrderAndCoalescing();
    void gangMarks();
};

void TestControllerParts::passes()
{
    ParameterState state;
    // What was sent starts as the controls show them: nothing to write.
    QVERIFY(state.pass(false).empty());
    QVERIFY(state.pass(true).empty()); // nothing is known yet
    QVERIFY(state.setByUser(PC::Tint, 300));
    QVERIFY(state.setByUser(PC::ColorfrontMode, 0));
    QCOMPARE(state.pass(false), (std::vector<int>{PC::ColorfrontMode, PC::Tint}));
    QVERIFY(state.pass(false).empty());
    // A forced pass writes what is known, in pass order.
    state.takeFromUnit(PC::GainRed, 1000);
    QCOMPARE(state.pass(true), (std::vector<int>{PC::ColorfrontMode, PC::GainRed, PC::Tint}));
    // A value read when the channel was chosen is the units' already: no pass writes it.
    QVERIFY(state.takeLoaded(PC::Exposure, 1500));
    QVERIFY(state.pass(false).empty());
    // A user's value beyond the range is the range's end.
    state.setByUser(PC::PqNitLevel, 9000);
    QCOMPARE(state.value(PC::PqNitLevel), 4000);
    const quint64 changes = state.userChanges(PC::PqNitLevel);
    state.setByUser(PC::PqNitLevel, 4000);
    QCOMPARE(state.userChanges(PC::PqNitLevel), changes + 1);
}

void TestControllerParts::valuesFromTheUnit_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("written");

    QTest::newRow("in range") << int(PC::Exposure) << QByteArray("1500") << 1500 << true;
    QTest::newRow("above range") << int(PC::Exposure) << QByteArray("4500") << 4000 << false;
    QTest::newRow("lowest int") << int(PC::Tint) << QByteArray("-2147483648") << -16000 << false;
    QTest::newRow("no number") << int(PC::Exposure) << QByteArray("abc") << 0 << false;
    QTest::newRow("choice") << int(PC::OutDynRange) << QByteArray("7") << 5 << true;
}

// A unit's value is shown (within range) and written onwards only when the
// unit's own value is what is shown.
void TestControllerParts::valuesFromTheUnit()
{
    QFETCH(int, slot);
    QFETCH(QByteArray, reply);
    QFETCH(int, shown);
    QFETCH(bool, written);

    ParameterState state;
    state.takeFromUnit(slot, PC::fromWire(slot, reply));
    QCOMPARE(state.value(slot), shown);
    QCOMPARE(state.pass(false) == std::vector<int>{slot}, written);
    QVERIFY(state.pass(true) == std::vector<int>{slot} || !written);
}

void TestControllerParts::queueOrderAndCoalescing()
{
    using K = UnitRequest::Kind;
    RequestQueue queue;
    QVERIFY(queue.add(request(K::Read, 1, "a")).wakeWorker);
    QVERIFY(!queue.add(request(K::Write, 2, "x", "1")).wakeWorker);
    queue.add(request(K::Read, 3, "b"));
    queue.add(request(K::Write, 4, "y", "1"));
    // A newer value of a waiting write takes its place.
    QCOMPARE(queue.add(request(K::Write, 5, "x", "2")).replaced, quint64(2));
    QCOMPARE(queue.dropReads([](quint64 id) { return id == 3; }), (std::deque<quint64>{3}));
    QStringList order;
    while (const std::optional<UnitRequest> next = queue.take())
        order << QStringLiteral("%1:%2=%3").arg(next->id).arg(QString(next->name), QString(next->value));
    QCOMPARE(order, (QStringList{"5:x=2", "4:y=1", "1:a="}));
    // Empty: the worker rests, and the next request wakes it.
    QVERIFY(queue.add(request(K::Read, 6, "c")).wakeWorker);
}

void TestControllerParts::gangMarks()
{
    DeviceDirectory directory;
    directory.setSavedGang({"b ", "gone "});
    directory.setEntries({entry("a ", "10.0.0.1"), entry("b ", "10.0.0.2"), entry("c ", "10.0.0.3")}, "10.0.0.1");
    QCOMPARE(directory.currentIndex(), 0);
    QCOMPARE(directory.gangedEntries().size(), 1);
    QCOMPARE(directory.gangNames(), (QStringList{"b ", "gone "}));

    // Choices made on an older copy: "a" was current then and is not taken.
    QList<DeviceEntry> edited = directory.entries();
    edited[2].ganged = true;
    directory.setCurrentAddress("10.0.0.2"); // "b" becomes current and leaves the gang
    QCOMPARE(directory.gangNames(), QStringList{"gone "});
    directory.applyGangChoices(edited);
    QCOMPARE(directory.gangNames(), (QStringList{"c ", "gone "}));
    QVERIFY(!directory.entries()[1].ganged);
}

QTEST_GUILESS_MAIN(TestControllerParts)
#include "tst_controllerparts.moc"
