#include "quietlink.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>
#include <signal.h>

using Text = std::optional<std::string>;

// prismo-sim as a user and the scripts run it: a rig file, the program's
// device port taken from the environment, standard-input commands, the
// request log, running on without input and the end on a signal.
class TestPrismoSim : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void drivenThroughStandardInput();

private:
    // Waits for a line of standard error that matches; returns its match.
    QRegularExpressionMatch waitForMessage(const QString &pattern);
    QString command(const QString &line);

    QTemporaryDir m_temp;
    QProcess m_process;
    QString m_messages;
};

void TestPrismoSim::cleanup()
{
    m_process.kill();
    m_process.waitForFinished(10000);
}

QRegularExpressionMatch TestPrismoSim::waitForMessage(const QString &pattern)
{
    const QRegularExpression expression(pattern, QRegularExpression::MultilineOption);
    const QDeadlineTimer deadline(20000);
    for (;;) {
        m_messages += QString::fromLocal8Bit(m_process.readAllStandardError());
        const QRegularExpressionMatch match = expression.match(m_messages);
        if (match.hasMatch()) {
            const int lineEnd = m_messages.indexOf(QLatin1Char('\n'), match.capturedEnd());
            m_messages = lineEnd < 0 ? QString() : m_messages.mid(lineEnd + 1);
            return match;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return match;
        m_process.waitForReadyRead(200);
    }
}

QString TestPrismoSim::command(const QString &line)
{
    m_process.write(line.toUtf8() + '\n');
    return waitForMessage(QStringLiteral("^((?:.*\\n)*?(?:ok.*|error: .*))$")).captured(1);
}

void TestPrismoSim::drivenThroughStandardInput()
{
    QFile config(m_temp.filePath(QStringLiteral("rig.json")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(R"({"units": [{"name": "First Unit", "address": "127.0.0.51"},
                              {"name": "Second Unit", "address": "127.0.0.52", "mode": 2, "faults": "standard"}]})");
    config.close();
    // Without --port the units listen on the port the program talks to.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress(QStringLiteral("127.0.0.51"))));
    const quint16 port = probe.serverPort();
    probe.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PRISMOLINK_DEVICE_PORT"), QString::number(port));
    m_process.setProcessEnvironment(env);
    m_process.setReadChannel(QProcess::StandardError);
    m_process.start(QStringLiteral(PRISMO_SIM_BINARY), {QStringLiteral("--config"), config.fileName(),
                                                        QStringLiteral("--log"), m_temp.filePath("requests.log")});
    QVERIFY2(waitForMessage(QStringLiteral("listening on port %1 with 2 units").arg(port)).hasMatch(),
             qPrintable(m_messages));
    TAVIRESTConfigControl first("127.0.0.51", port, "config");

    QCOMPARE(command("set 127.0.0.51 eParamID_Vid1ColorHDRGainRed 1234"), QStringLiteral("ok"));
    QCOMPARE(quietRead(first, "eParamID_Vid1ColorHDRGainRed"), Text(std::string("1234")));
    QVERIFY(quietChange(first, "eParamID_Vid1ColorHDRTint", "-5"));
    QCOMPARE(command("get prismo-1 eParamID_Vid1ColorHDRTint"), QStringLiteral("ok -5"));

    QCOMPARE(command("fault 1 fail=eParamID_ProductID"), QStringLiteral("ok"));
    QVERIFY(!quietRead(first, "eParamID_ProductID"));
    QCOMPARE(command("clear 1"), QStringLiteral("ok"));
    QVERIFY(quietRead(first, "eParamID_ProductID"));

    // The rig file's units, as the rig runs them.
    const QString status = command("status");
    QVERIFY2(status.contains(QStringLiteral("unit 2 127.0.0.52:%1 prismo-2 \"Second Unit\" on faults=standard").arg(port)),
             qPrintable(status));

    // Run without input, as in scripts: the units stay up until a signal ends them.
    m_process.closeWriteChannel();
    TAVIRESTConfigControl second("127.0.0.52", port, "config");
    QTRY_COMPARE_WITH_TIMEOUT(quietRead(second, "eParamID_ZyloMode"), Text(std::string("2")), 10000);
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    QVERIFY(m_process.waitForFinished(10000));
    QCOMPARE(m_process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process.exitCode(), 0);
    QVERIFY(waitForMessage(QStringLiteral("prismo-sim: stopped")).hasMatch());

    QFile log(m_temp.filePath(QStringLiteral("requests.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains(
        QStringLiteral("127.0.0.51 GET /config?action=set&paramid=eParamID_Vid1ColorHDRTint&value=-5 HTTP/1.1")));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^127\\.0\\.0\\.5[12] GET /config\\?\\S+ HTTP/1\\.1$"))),
             lines);
}

QTEST_GUILESS_MAIN(TestPrismoSim)
#include "tst_prismosim.moc"
