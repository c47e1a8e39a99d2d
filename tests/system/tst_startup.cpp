#include "programversion.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <signal.h>

// The program as a user starts it: single-instance lock, "-m", exit codes.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void versionText_data();
    void versionText();
    void secondCopyIsRefused_data();
    void secondCopyIsRefused();
    void multiInstanceTakesNoLock();
    void normalEndReleasesLock();

private:
    std::unique_ptr<QProcess> start(const QStringList &arguments);
    void startFirstCopy();
    void waitUntilStarted(QProcess &process);
    QString lockPath() const { return m_temp->filePath(QStringLiteral("a102.lock")); }

    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<QProcess> m_first;
};

void TestStartup::init()
{
    m_first.reset();
    m_temp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temp->isValid());
}

std::unique_ptr<QProcess> TestStartup::start(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), m_temp->path());
    env.insert(QStringLiteral("HOME"), m_temp->path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_temp->filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("PRISMOLINK_MODAL_ANSWER"), QStringLiteral("accept"));
    env.insert(QStringLiteral("PRISMOLINK_HUB_PORT"), QStringLiteral("1"));
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(PRISMOLINK_BINARY), arguments);
    return process;
}

void TestStartup::startFirstCopy()
{
    m_first = start({});
    waitUntilStarted(*m_first);
    QLockFile probe(lockPath());
    qint64 pid = 0;
    QString host, app;
    QVERIFY(probe.getLockInfo(&pid, &host, &app));
    QCOMPARE(pid, m_first->processId());
}

void TestStartup::waitUntilStarted(QProcess &process)
{
    QVERIFY(process.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += process.readAllStandardError()).contains("started"), 15000);
    QCOMPARE(process.state(), QProcess::Running);
}

void TestStartup::versionText_data()
{
    QTest::addColumn<quint32>("mostSignificant");
    QTest::addColumn<quint32>("leastSignificant");
    QTest::addColumn<QString>("text");

    QTest::newRow("1.3.0.6") << 0x00010003u << 0x00000006u << QStringLiteral("1.3");
    QTest::newRow("1.3.2.6") << 0x00010003u << 0x00020006u << QStringLiteral("1.3.2");
    QTest::newRow("large fields") << 0xFFFF0010u << 0x0100FFFFu << QStringLiteral("65535.16.256");
}

void TestStartup::versionText()
{
    QFETCH(quint32, mostSignificant);
    QFETCH(quint32, leastSignificant);
    QFETCH(QString, text);
    QCOMPARE(ProgramVersion::fromFileVersion(mostSignificant, leastSignificant), text);
}

void TestStartup::secondCopyIsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("no arguments") << QStringList();
    QTest::newRow("-m and another argument") << QStringList{"-m", "x"};
    QTest::newRow("another single argument") << QStringList{"-n"};
}

void TestStartup::secondCopyIsRefused()
{
    QFETCH(QStringList, arguments);

    startFirstCopy();
    auto second = start(arguments);
    QVERIFY(second->waitForFinished(15000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 1);
    QVERIFY(second->readAllStandardError().contains("The application is already running."));
    QCOMPARE(m_first->state(), QProcess::Running);
    m_first->kill();
    m_first->waitForFinished();
}

// "-m" never touches the lock: alone it creates none, and a copy started
// beside a running one starts and leaves that copy's lock as it is.
void TestStartup::multiInstanceTakesNoLock()
{
    auto alone = start({QStringLiteral("-m")});
    waitUntilStarted(*alone);
    QVERIFY(!QFile::exists(lockPath()));

    startFirstCopy();
    auto beside = start({QStringLiteral("-m")});
    waitUntilStarted(*beside);
    QLockFile probe(lockPath());
    qint64 pid = 0;
    QString host, app;
    QVERIFY(probe.getLockInfo(&pid, &host, &app));
    QCOMPARE(pid, m_first->processId());

    for (QProcess *process : {alone.get(), beside.get(), m_first.get()}) {
        process->kill();
        process->waitForFinished();
    }
}

// A copy that ends normally (here by SIGTERM, which closes the window as a
// user would) removes its lock, so the next start is not refused.
void TestStartup::normalEndReleasesLock()
{
    startFirstCopy();
    QVERIFY(QFile::exists(lockPath()));
    ::kill(static_cast<pid_t>(m_first->processId()), SIGTERM);
    QVERIFY(m_first->waitForFinished(15000));
    QCOMPARE(m_first->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_first->exitCode(), 0);
    QVERIFY(!QFile::exists(lockPath()));

    startFirstCopy();
    m_first->kill();
    m_first->waitForFinished();
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
