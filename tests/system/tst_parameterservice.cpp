#include "parametercatalogue.h"
#include "parameterservice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestParameterService : public QObject
{
    Q_OBJECT

private slots:
    void startValues_data();
    void startValues();
    void everyControlledParameterReadsAndSets();
    void networkServicesAsTheProgramReadsThem();
};

namespace {
UnitConfig testUnit()
{
    UnitConfig unit = UnitConfig::numbered(1);
    unit.systemName = QStringLiteral("Grade One");
    unit.channelMode = 2;
    unit.softwareVersion = 0x01020304;
    return unit;
}

const QVector<ServiceEntry> services{{"Prismo", "prismo-a", "127.0.0.11"},
                                     {"Recorder", "recorder-1", "127.0.0.30"},
                                     {"Prismo", "prismo-b", "127.0.0.12"}};

DeviceReply ask(ParameterStore &store, const QByteArray &target, const QSet<QByteArray> &failing = {})
{
    QByteArray bytes = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.11\r\n\r\n";
    DeviceRequest request;
    if (DeviceRequest::take(bytes, request) != DeviceRequest::Take::Complete)
        return {-1, {}, {}};
    return ParameterService::answer(request, store, failing, services);
}

QByteArray read(ParameterStore &store, const QByteArray &name)
{
    return ask(store, "/config?action=get&configid=0&paramid=" + name + "&alt=text-plain").body;
}

// How the program turns the json reply into a document it can parse.
QByteArray rewrittenAsTheProgramDoes(QByteArray body)
{
    body.replace("\"[", "[");
    body.replace("]\"", "]");
    body.replace('\\', ' ');
    return body;
}
} // namespace

void TestParameterService::startValues_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("adjust on") << QByteArray("eParamID_Vid0ColorfrontMode") << QByteArray("1");
    QTest::newRow("log look") << QByteArray("eParamID_Vid2ColorHDRLogLook") << QByteArray("500");
    QTest::newRow("version 1.2.3.4 packed") << QByteArray("eParamID_SoftwareVersion") << QByteArray("16909060");
    QTest::newRow("4K/UHD mode") << QByteArray("eParamID_ZyloMode") << QByteArray("2");
}

void TestParameterService::startValues()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);
    ParameterStore store(testUnit());
    QCOMPARE(read(store, name), value);
}

void TestParameterService::everyControlledParameterReadsAndSets()
{
    ParameterStore store(testUnit());
    for (int channel = 0; channel < ParameterCatalogue::ChannelCount; ++channel) {
        for (int slot = 0; slot < ParameterCatalogue::SlotCount; ++slot) {
            const QByteArray name = ParameterCatalogue::parameterName(channel, slot);
            const QByteArray value = QByteArray::number(-7 * channel - slot);
            QCOMPARE(ask(store, "/config?action=set&paramid=" + name + "&value=" + value).status, 200);
            QCOMPARE(read(store, name), value);
        }
    }
}

void TestParameterService::networkServicesAsTheProgramReadsThem()
{
    ParameterStore store(testUnit());
    const DeviceReply reply = ask(store, "/config?action=get&configid=0&paramid=eParamID_NetworkServices&alt=json");
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.body.contains(R"("[{\"device_name\":\"Prismo\",)"));

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(rewrittenAsTheProgramDoes(reply.body), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray list = document.object().value("value").toArray();
    QStringList seen;
    for (const QJsonValue &entry : list) {
        const QJsonObject object = entry.toObject();
        seen << object.value("device_name ").toString() + '|' + object.value("host_name ").toString() + '|' +
                    object.value("ip_address ").toString();
    }
    QCOMPARE(seen, QStringList({"Prismo |prismo-a |127.0.0.11 ", "Recorder |recorder-1 |127.0.0.30 ",
                                "Prismo |prismo-b |127.0.0.12 "}));
}

QTEST_GUILESS_MAIN(TestParameterService)
#include "tst_parameterservice.moc"
