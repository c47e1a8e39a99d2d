#include "parametercatalogue.h"
#include "quietlink.h"
#include "simulatorrig.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

// The simulated units on their own thread, talked to by the program's
// device link, by raw sockets and by standard HTTP clients; their faults
// as the rig's settings describe them.
class TestSimulatorRig : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everythingOverOneConnection();
    void faultSettings_data();
    void faultSettings();
    void faultsSeenByTheDeviceLink_data();
    void faultsSeenByTheDeviceLink();
    void droppedRequestsOnOneConnection();
    void standardClients_data();
    void standardClients();

private:
    std::unique_ptr<TAVIRESTConfigControl> link(int unit) const;

    std::unique_ptr<SimulatorRig> m_rig;
};

namespace {
using Text = std::optional<std::string>;
const std::string productId = "eParamID_ProductID";
} // namespace

void TestSimulatorRig::init()
{
    m_rig = std::make_unique<SimulatorRig>(RigConfig::defaultRig());
    QString error;
    QVERIFY2(m_rig->start(0, &error), qPrintable(error));
}

void TestSimulatorRig::cleanup()
{
    m_rig.reset();
}

std::unique_ptr<TAVIRESTConfigControl> TestSimulatorRig::link(int unit) const
{
    return std::make_unique<TAVIRESTConfigControl>(m_rig->config().units.at(unit).address.toStdString(), m_rig->port(),
                                                   "config");
}

// Every parameter of the table on every channel, each unit for itself,
// while a client that never finishes its request holds no one up.
void TestSimulatorRig::everythingOverOneConnection()
{
    QTcpSocket idle;
    idle.connectToHost(QStringLiteral("127.0.0.11"), m_rig->port());
    QVERIFY(idle.waitForConnected(5000));
    idle.write("GET /config?action=get&paramid=eParamID_ZyloMode");
    QVERIFY(idle.waitForBytesWritten(5000));
    const auto first = link(0);
    QCOMPARE(quietRead(*first, "eParamID_Vid3ColorHDRLogLook"), Text(std::string("500")));
    const int socket = first->socketHandle;
    QVERIFY(!quietRead(*first, "eParamID_NoSuchThing"));
    for (int channel = 0; channel < ParameterCatalogue::ChannelCount; ++channel) {
        for (int slot = 0; slot < ParameterCatalogue::SlotCount; ++slot) {
            const std::string name = ParameterCatalogue::parameterName(channel, slot);
            const std::string value = std::to_string(-7 * channel - slot);
            QVERIFY2(quietChange(*first, name, value), name.c_str());
            QCOMPARE(quietRead(*first, name), Text(value));
        }
    }
    QCOMPARE(first->socketHandle, socket);
    QCOMPARE(quietRead(*link(2), "eParamID_Vid2ColorHDRExposure"), Text(std::string("0")));
}

void TestSimulatorRig::faultSettings_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");

    QTest::newRow("blank-separated, all kinds")
        << "none"
        << "fail=eParamID_B fail=eParamID_A drop=3 close stall standard oversize chunked=5000 garbage cut=7" << true
        << "chunked=5000,close,drop=3,fail=eParamID_A,fail=eParamID_B,stall,oversize=5000,standard,garbage,cut=7";
    QTest::newRow("cut back to half") << "cut=7" << "cut" << true << "cut";
    QTest::newRow("cut of nothing refused") << "garbage" << "cut=0" << false << "garbage";
    QTest::newRow("one turned off") << "close,stall,fail=eParamID_A,fail=eParamID_B" << "no-stall no-fail=eParamID_A"
                                    << true << "close,fail=eParamID_B";
    QTest::newRow("bad number keeps all") << "close" << "delay=10,drop=x" << false << "close";
}

void TestSimulatorRig::faultSettings()
{
    QFETCH(QString, before);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, after);

    FaultSettings faults;
    QString error;
    QVERIFY(faults.apply(before, &error));
    QCOMPARE(faults.apply(text, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    QCOMPARE(faults.describe(), after);
    // The description reads back as the same settings.
    FaultSettings again;
    QVERIFY(again.apply(faults.describe(), &error));
    QVERIFY(again == faults);
}

// The faults that no other test sees at work (the rest show in the link
// check, the standard clients and prismo-sim's own test): the link refuses
// the reply and drops the connection, and the unit is well again once its
// faults are cleared.
void TestSimulatorRig::faultsSeenByTheDeviceLink_data()
{
    QTest::addColumn<QString>("faults");
    // Cut at the 4096 bytes the link reads, so not a value to use.
    QTest::newRow("oversize body") << "oversize";
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("cut mid-reply") << "cut";
}

void TestSimulatorRig::faultsSeenByTheDeviceLink()
{
    QFETCH(QString, faults);

    const auto unit = link(0);
    // The faults change while the link is connected, as a user would change them.
    QVERIFY(quietRead(*unit, "eParamID_ZyloMode"));
    FaultSettings settings;
    QString error;
    QVERIFY2(settings.apply(faults, &error), qPrintable(error));
    m_rig->setFaults(0, settings);
    QCOMPARE(quietRead(*unit, productId), Text());
    QVERIFY(!unit->isConnected());
    m_rig->setFaults(0, FaultSettings());
    QTRY_COMPARE_WITH_TIMEOUT(quietRead(*unit, productId), Text(std::string("KVEL")), 15000);
}

void TestSimulatorRig::droppedRequestsOnOneConnection()
{
    FaultSettings settings;
    settings.dropEvery = 3;
    m_rig->setFaults(0, settings);
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.11"), m_rig->port());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(QByteArray("GET /config?action=get&configid=0&paramid=eParamID_ProductID&alt=text-plain HTTP/1.1\r\n"
                            "Host: 127.0.0.11\r\nConnection: keep-alive\r\n\r\n")
                     .repeated(4));
    QVERIFY(socket.waitForBytesWritten(5000));
    // What came back before the unit closed the connection or went quiet.
    QByteArray reply;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(1500))
        reply += socket.readAll();
    reply += socket.readAll();
    QCOMPARE(reply.count("HTTP/1.1 200 OK"), 2);
    QCOMPARE(m_rig->requestLog().size(), 3);
}

void TestSimulatorRig::standardClients_data()
{
    QTest::addColumn<QString>("faults");
    QTest::newRow("as the units send") << "none";
    QTest::newRow("standard line end") << "standard";
    QTest::newRow("chunked") << "chunked=3";
}

void TestSimulatorRig::standardClients()
{
    QFETCH(QString, faults);
    FaultSettings settings;
    QString error;
    QVERIFY(settings.apply(faults, &error));
    m_rig->setFaults(0, settings);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    // Several requests on one kept-alive connection, read strictly.
    const char *script = R"(
import http.client, json, sys
c = http.client.HTTPConnection('127.0.0.11', int(sys.argv[1]), timeout=10)
def get(path):
    c.request('GET', '/config?' + path)
    r = c.getresponse()
    return r.status, r.read().decode()
print(get('action=get&configid=0&paramid=eParamID_ProductID&alt=text-plain'))
print(get('action=set&paramid=eParamID_Vid1ColorHDRTint&value=-42'))
print(get('action=get&configid=0&paramid=eParamID_Vid1ColorHDRTint&alt=text-plain'))
print(get('action=get&paramid=eParamID_Nothing&alt=text-plain')[0])
status, body = get('action=get&configid=0&paramid=eParamID_NetworkServices&alt=json')
print(status, [e['host_name'] for e in json.loads(json.loads(body)['value'])])
)";
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QString::fromUtf8(script), QString::number(m_rig->port())});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
             QStringLiteral("(200, 'KVEL')\n(200, '-42')\n(200, '-42')\n404\n"
                            "200 ['prismo-grade-a', 'prismo-grade-b', 'prismo-uhd', 'recorder-1']\n"));
}

QTEST_GUILESS_MAIN(TestSimulatorRig)
#include "tst_simulatorrig.moc"
