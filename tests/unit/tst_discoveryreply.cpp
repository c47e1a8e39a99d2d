#include "discoveryreply.h"

#include <QtTest>

namespace {
// A unit's reply: the list is escaped JSON text inside "value".
QByteArray reply(const QList<QStringList> &units, const QByteArray &extraMembers = {})
{
    QStringList items;
    for (const QStringList &u : units) {
        items << QStringLiteral("{\\\"device_name\\\":\\\"%1\\\",\\\"host_name\\\":\\\"%2\\\",\\\"ip_address\\\":\\\"%3\\\"}")
                     .arg(u.value(0), u.value(1), u.value(2));
    }
    return "{" + extraMembers + "\"value\":\"[" + items.join(QLatin1Char(',')).toUtf8() + "]\"}";
}
} // namespace

class TestDiscoveryReply : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
};

// The controlled units of a reply in reply order, as "host name|address"
// (host names keep the blank the rewriting leaves); a reply that is no JSON
// is an error and lists nothing.
void TestDiscoveryReply::entries_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QStringList>("units");

    QTest::newRow("two units and another kind")
        << reply({{"Prismo", "prismo-a", "10.0.0.1"}, {"Kona", "kona-1", "10.0.0.9"}, {"Prismo", "prismo-b", "10.0.0.2"}})
        << true << QStringList{"prismo-a |10.0.0.1", "prismo-b |10.0.0.2"};
    QTest::newRow("address with blanks") << reply({{"Prismo", "stage left", "  10.0.0.3 "}}) << true
                                         << QStringList{"stage left |10.0.0.3"};
    QTest::newRow("kind differing in case") << reply({{"prismo", "p", "10.0.0.4"}}) << true << QStringList();
    QTest::newRow("other outer members") << reply({{"Prismo", "p", "10.0.0.5"}}, "\"paramid\":\"x\",") << true
                                         << QStringList{"p |10.0.0.5"};
    QTest::newRow("no value member") << QByteArray("{\"other\":1}") << true << QStringList();
    QTest::newRow("value not a list") << QByteArray("{\"value\":\"text\"}") << true << QStringList();
    QTest::newRow("elements that are not objects")
        << QByteArray("{\"value\":\"[1,\\\"x\\\",{\\\"device_name\\\":\\\"Prismo\\\",\\\"ip_address\\\":\\\"10.0.0.6\\\"}]\"}")
        << true << QStringList{"|10.0.0.6"};
    QTest::newRow("empty (a failed read)") << QByteArray() << false << QStringList();
    QTest::newRow("cut short") << reply({{"Prismo", "a", "1"}}).left(40) << false << QStringList();
    QTest::newRow("not JSON") << QByteArray("<html>busy</html>") << false << QStringList();
    QTest::newRow("NUL inside") << QByteArray("{\"value\":\0}", 11) << false << QStringList();
}

void TestDiscoveryReply::entries()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, parsed);
    QFETCH(QStringList, units);

    DiscoveryReply reply;
    reply.entries.append(DeviceEntry{});
    QCOMPARE(reply.parse(body), parsed);
    QCOMPARE(reply.errorText.isEmpty(), parsed);
    QStringList got;
    for (const DeviceEntry &e : qAsConst(reply.entries)) {
        QCOMPARE(e.deviceName, QStringLiteral("Prismo "));
        QVERIFY(!e.ganged && !e.current);
        got << e.hostName + QLatin1Char('|') + e.ipAddress;
    }
    QCOMPARE(got, units);
}

QTEST_GUILESS_MAIN(TestDiscoveryReply)
#include "tst_discoveryreply.moc"
