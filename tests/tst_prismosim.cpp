#include "quietlink.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>
#include <signal.h>
#include <unistd.h>

using Text = std::optional<std::string>;

// prismo-sim as a user runs it: options, messages, standard-input commands,
// the request log and the end on a signal.
class TestPrismoSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void help();
    void refusedOptions_data();
    void refusedOptions();
    void portInUse();
    void privilegedPort();
    void drivenThroughStandardInput();
    void runsOnWithoutInput();

private:
    void start(const QStringList &arguments, const QMap<QString, QString> &environment = {});
    // Waits for a line of standard error that matches; returns its match.
    QRegularExpressionMatch waitForMessage(const QString &pattern);
    QString command(const QString &line);
    int startRig();
    std::unique_ptr<TAVIRESTConfigControl> link(const char *address) const;

    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<QProcess> m_process;
    QString m_messages;
    int m_port = 0;
};

void TestPrismoSim::init()
{
    m_process.reset();
    m_messages.clear();
    m_temp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temp->isValid());
}

void TestPrismoSim::cleanup()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(10000);
    }
}

void TestPrismoSim::start(const QStringList &arguments, const QMap<QString, QString> &environment)
{
    m_process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("PRISMOLINK_DEVICE_PORT"));
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    m_process->setProcessEnvironment(env);
    m_process->setReadChannel(QProcess::StandardError);
    m_process->start(QStringLiteral(PRISMO_SIM_BINARY), arguments);
    QVERIFY(m_process->waitForStarted(10000));
}

QRegularExpressionMatch TestPrismoSim::waitForMessage(const QString &pattern)
{
    const QRegularExpression expression(pattern, QRegularExpression::MultilineOption);
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        m_messages += QString::fromLocal8Bit(m_process->readAllStandardError());
        const QRegularExpressionMatch match = expression.match(m_messages);
        if (match.hasMatch()) {
            const int lineEnd = m_messages.indexOf(QLatin1Char('\n'), match.capturedEnd());
            m_messages = lineEnd < 0 ? QString() : m_messages.mid(lineEnd + 1);
            return match;
        }
        if (timer.hasExpired(20000) || m_process->state() == QProcess::NotRunning)
            return match;
        m_process->waitForReadyRead(200);
    }
}

QString TestPrismoSim::command(const QString &line)
{
    m_process->write(line.toUtf8() + '\n');
    return waitForMessage(QStringLiteral("^((?:.*\\n)*?(?:ok.*|error: .*))$")).captured(1);
}

int TestPrismoSim::startRig()
{
    QFile config(m_temp->filePath(QStringLiteral("rig.json")));
    if (!config.open(QIODevice::WriteOnly))
        return 0;
    config.write(R"({"units": [{"name": "First Unit", "address": "127.0.0.51"},
                              {"name": "Second Unit", "address": "127.0.0.52", "mode": 2, "faults": "standard"}]})");
    config.close();
    start({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--config"), config.fileName(),
           QStringLiteral("--log"), m_temp->filePath(QStringLiteral("requests.log"))});
    return waitForMessage(QStringLiteral("listening on port (\\d+) with 2 units")).captured(1).toInt();
}

std::unique_ptr<TAVIRESTConfigControl> TestPrismoSim::link(const char *address) const
{
    return std::make_unique<TAVIRESTConfigControl>(address, m_port, "config");
}

void TestPrismoSim::help()
{
    start({QStringLiteral("--help")});
    QVERIFY(m_process->waitForFinished(10000));
    QCOMPARE(m_process->exitCode(), 0);
    const QString text = QString::fromUtf8(m_process->readAllStandardOutput());
    for (const char *expected : {"--port", "--config", "--fault", "PRISMOLINK_DEVICE_PORT", "drop=N", "stall",
                                 "<unit address> <request line>", "set UNIT PARAM VALUE"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
}

void TestPrismoSim::refusedOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown unit setting") << QStringList{"--unit", "colour=red"} << ""
                                          << "unknown unit setting";
    QTest::newRow("fault for a unit not in the rig") << QStringList{"--fault", "9:close"} << ""
                                                     << "--fault 9:close";
    QTest::newRow("missing file") << QStringList{"--config", "/nonexistent/rig.json"} << ""
                                  << "cannot read";
    QTest::newRow("port variable not a number") << QStringList{} << "eighty"
                                                << "PRISMOLINK_DEVICE_PORT must be";
}

void TestPrismoSim::refusedOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, port);
    QFETCH(QString, message);

    QMap<QString, QString> environment;
    if (!port.isEmpty())
        environment.insert(QStringLiteral("PRISMOLINK_DEVICE_PORT"), port);
    start(arguments, environment);
    QVERIFY(m_process->waitForFinished(10000));
    QCOMPARE(m_process->exitCode(), 2);
    QVERIFY2(waitForMessage(QRegularExpression::escape(message)).hasMatch(), qPrintable(m_messages));
}

void TestPrismoSim::portInUse()
{
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress(QStringLiteral("127.0.0.51")), 0));
    const QString port = QString::number(other.serverPort());
    start({QStringLiteral("--unit"), QStringLiteral("address=127.0.0.51"), QStringLiteral("--port"), port});
    QVERIFY(m_process->waitForFinished(10000));
    QCOMPARE(m_process->exitCode(), 1);
    QVERIFY(
        waitForMessage(QStringLiteral("cannot listen on 127\\.0\\.0\\.51 port %1: .*choose another --port").arg(port))
            .hasMatch());
}

void TestPrismoSim::privilegedPort()
{
    QFile lowest(QStringLiteral("/proc/sys/net/ipv4/ip_unprivileged_port_start"));
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty() || !lowest.open(QIODevice::ReadOnly) ||
        lowest.readAll().trimmed().toInt() <= 80)
        QSKIP("needs root, setpriv, and port 80 reserved for privileged users");
    m_process = std::make_unique<QProcess>();
    m_process->setReadChannel(QProcess::StandardError);
    m_process->start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups"), QStringLiteral(PRISMO_SIM_BINARY),
                               QStringLiteral("--port"), QStringLiteral("80")});
    QVERIFY(m_process->waitForFinished(10000));
    if (m_process->exitCode() == 126 || m_process->exitCode() == 127)
        QSKIP("the build folder is not open to an unprivileged user");
    QCOMPARE(m_process->exitCode(), 1);
    QVERIFY2(waitForMessage(QStringLiteral("cannot listen on 127\\.0\\.0\\.11 port 80: .*Ports below 1024 need "
                                           "privileges: run with --port 8080 .*PRISMOLINK_DEVICE_PORT"))
                 .hasMatch(),
             qPrintable(m_messages));
}

void TestPrismoSim::drivenThroughStandardInput()
{
    m_port = startRig();
    QVERIFY2(m_port > 0, qPrintable(m_messages));
    const auto first = link("127.0.0.51");

    QCOMPARE(command("get 2 eParamID_SystemName"), QStringLiteral("ok Second Unit"));
    QCOMPARE(command("set 127.0.0.51 eParamID_Vid1ColorHDRGainRed 1234"), QStringLiteral("ok"));
    QCOMPARE(quietRead(*first, "eParamID_Vid1ColorHDRGainRed"), Text(std::string("1234")));
    QVERIFY(quietChange(*first, "eParamID_Vid1ColorHDRTint", "-5"));
    QCOMPARE(command("get prismo-1 eParamID_Vid1ColorHDRTint"), QStringLiteral("ok -5"));

    QCOMPARE(command("fault 1 fail=eParamID_ProductID"), QStringLiteral("ok"));
    QVERIFY(!quietRead(*first, "eParamID_ProductID"));
    QCOMPARE(command("clear 1"), QStringLiteral("ok"));
    QVERIFY(quietRead(*first, "eParamID_ProductID"));

    QCOMPARE(command("off 1"), QStringLiteral("ok"));
    QVERIFY(!quietRead(*first, "eParamID_ProductID"));
    QCOMPARE(command("on 1"), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(quietRead(*first, "eParamID_ProductID"), 15000);

    const QString status = command("status");
    QVERIFY2(
        status.contains(QStringLiteral("unit 2 127.0.0.52:%1 prismo-2 \"Second Unit\" on faults=standard").arg(m_port)),
        qPrintable(status));
    QVERIFY(command("fault 3 close").startsWith(QLatin1String("error: no unit")));
    QVERIFY(command("explode").startsWith(QLatin1String("error: unknown command")));

    ::kill(static_cast<pid_t>(m_process->processId()), SIGTERM);
    QVERIFY(m_process->waitForFinished(10000));
    QCOMPARE(m_process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process->exitCode(), 0);
    QVERIFY(waitForMessage(QStringLiteral("prismo-sim: stopped")).hasMatch());

    QFile log(m_temp->filePath(QStringLiteral("requests.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains(
        QStringLiteral("127.0.0.51 GET /config?action=set&paramid=eParamID_Vid1ColorHDRTint&value=-5 HTTP/1.1")));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^127\\.0\\.0\\.51 GET /config\\?\\S+ HTTP/1\\.1$"))),
             lines);
}

void TestPrismoSim::runsOnWithoutInput()
{
    m_port = startRig();
    QVERIFY2(m_port > 0, qPrintable(m_messages));
    m_process->closeWriteChannel();
    QTRY_COMPARE_WITH_TIMEOUT(quietRead(*link("127.0.0.52"), "eParamID_ZyloMode"), Text(std::string("2")), 10000);
    ::kill(static_cast<pid_t>(m_process->processId()), SIGINT);
    QVERIFY(m_process->waitForFinished(10000));
    QCOMPARE(m_process->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestPrismoSim)
#include "tst_prismosim.moc"
