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
    void rewriting();
    void entries_data();
    void entries();
    void errors_data();
    void errors();
};

void TestDiscoveryReply::rewriting()
{
    QCOMPARE(DiscoveryReply::rewrite("{\"value\":\"[{\\\"a\\\":\\\"b\\\"}]\"}"), QByteArray("{\"value\":[{ \"a \": \"b \"}]}"));
    // Only a quote directly before an opening bracket, and directly after a
    // closing one, is removed.
    QCOMPARE(DiscoveryReply::rewrite("\" [ ]\" \"[x]\""), QByteArray("\" [ ] [x]"));
}

void TestDiscoveryReply::entries_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("hosts");
    QTest::addColumn<QStringList>("addresses");

    QTest::newRow("two units and another kind")
        << reply({{"Prismo", "prismo-a", "10.0.0.1"}, {"Kona", "kona-1", "10.0.0.9"}, {"Prismo", "prismo-b", "10.0.0.2"}})
        << QStringList{"prismo-a ", "prismo-b "} << QStringList{"10.0.0.1", "10.0.0.2"};
    QTest::newRow("address with blanks") << reply({{"Prismo", "stage left", "  10.0.0.3 "}}) << QStringList{"stage left "}
                                         << QStringList{"10.0.0.3"};
    QTest::newRow("kind differing in case") << reply({{"prismo", "p", "10.0.0.4"}}) << QStringList() << QStringList();
    QTest::newRow("other outer members") << reply({{"Prismo", "p", "10.0.0.5"}}, "\"paramid\":\"x\",")
                                         << QStringList{"p "} << QStringList{"10.0.0.5"};
    QTest::newRow("empty list") << reply({}) << QStringList() << QStringList();
    QTest::newRow("no value member") << QByteArray("{\"other\":1}") << QStringList() << QStringList();
    QTest::newRow("value not a list") << QByteArray("{\"value\":\"text\"}") << QStringList() << QStringList();
    QTest::newRow("elements that are not objects")
        << QByteArray("{\"value\":\"[1,\\\"x\\\",{\\\"device_name\\\":\\\"Prismo\\\",\\\"ip_address\\\":\\\"10.0.0.6\\\"}]\"}")
        << QStringList{QString()} << QStringList{"10.0.0.6"};
}

void TestDiscoveryReply::entries()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, hosts);
    QFETCH(QStringList, addresses);

    DiscoveryReply parsed;
    QVERIFY(parsed.parse(body));
    QCOMPARE(parsed.entries.size(), hosts.size());
    for (int i = 0; i < hosts.size(); ++i) {
        QCOMPARE(parsed.entries[i].deviceName, QStringLiteral("Prismo "));
        QCOMPARE(parsed.entries[i].hostName, hosts[i]);
        QCOMPARE(parsed.entries[i].ipAddress, addresses[i]);
        QVERIFY(!parsed.entries[i].ganged);
        QVERIFY(!parsed.entries[i].current);
    }
}

void TestDiscoveryReply::errors_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("empty (a failed read)") << QByteArray();
    QTest::newRow("cut short") << reply({{"Prismo", "a", "1"}}).left(40);
    QTest::newRow("not JSON") << QByteArray("<html>busy</html>");
    QTest::newRow("NUL inside") << QByteArray("{\"value\":\0}", 11);
}

void TestDiscoveryReply::errors()
{
    QFETCH(QByteArray, body);
    DiscoveryReply parsed;
    QVERIFY(!parsed.parse(body));
    QVERIFY(!parsed.errorText.isEmpty());
    QVERIFY(parsed.entries.isEmpty());
    QCOMPARE(parsed.rewritten, DiscoveryReply::rewrite(body));
}

QTEST_GUILESS_MAIN(TestDiscoveryReply)
#include "tst_discoveryreply.moc"
