#include "prismosettings.h"
#include "simulatorrig.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <signal.h>
#include <vector>

// The program as a user starts it: single-instance lock, "-m", exit codes,
// and an end that waits for no unit.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void secondCopyIsRefused_data();
    void secondCopyIsRefused();
    void normalEndReleasesLock();
    void commandLines_data();
    void commandLines();

private:
    QProcess &start(const QStringList &arguments);
    // Waits until the copy's window is up.
    static bool started(QProcess &process);
    // The process id recorded in the lock file; 0 without a lock.
    qint64 lockHolder() const;
    QString lockPath() const { return m_temp->filePath(QStringLiteral("a102.lock")); }
    // The program's store under XDG_CONFIG_HOME.
    QString settingsPath() const
    {
        return m_temp->filePath(
            QStringLiteral("config/%1/%2.conf").arg(PrismoSettings::Organisation, PrismoSettings::Application));
    }

    std::unique_ptr<QTemporaryDir> m_temp;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    quint16 m_devicePort = 1;
    bool m_noDisplay = false;
};

void TestStartup::init()
{
    m_devicePort = 1;
    m_noDisplay = false;
    m_temp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temp->isValid());
}

void TestStartup::cleanup()
{
    for (const auto &process : m_processes) {
        process->kill();
        process->waitForFinished();
    }
    m_processes.clear();
}

QProcess &TestStartup::start(const QStringList &arguments)
{
    m_processes.push_back(std::make_unique<QProcess>());
    QProcess &process = *m_processes.back();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), m_temp->path());
    env.insert(QStringLiteral("HOME"), m_temp->path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_temp->filePath(QStringLiteral("config")));
    // A line that cannot be run is answered without a display.
    if (m_noDisplay) {
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
    } else {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    env.insert(QStringLiteral("PRISMOLINK_MODAL_ANSWER"), QStringLiteral("accept"));
    env.insert(QStringLiteral("PRISMOLINK_HUB_PORT"), QStringLiteral("1"));
    env.insert(QStringLiteral("PRISMOLINK_DEVICE_PORT"), QString::number(m_devicePort));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PRISMOLINK_BINARY), arguments);
    return process;
}

bool TestStartup::started(QProcess &process)
{
    QByteArray output;
    const QDeadlineTimer deadline(15000);
    while (!(output += process.readAllStandardError()).contains("started")) {
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(200);
    }
    return true;
}

qint64 TestStartup::lockHolder() const
{
    qint64 pid = 0;
    QString host, app;
    return QLockFile(lockPath()).getLockInfo(&pid, &host, &app) ? pid : 0;
}

void TestStartup::secondCopyIsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("refused");

    QTest::newRow("no arguments") << QStringList() << true;
    QTest::newRow("-m and an argument that is no option") << QStringList{"-m", "x"} << true;
    // "-m" never touches the lock (alone it takes none: see commandLines).
    QTest::newRow("-m") << QStringList{"-m"} << false;
}

void TestStartup::secondCopyIsRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, refused);

    QProcess &first = start({});
    QVERIFY(started(first));
    QCOMPARE(lockHolder(), first.processId());
    QProcess &second = start(arguments);
    if (refused) {
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("The application is already running."));
    } else {
        QVERIFY(started(second));
    }
    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(lockHolder(), first.processId());
}

// A copy that ends normally (here by SIGTERM, which closes the window as a
// user would) removes its lock, so the next start is not refused. A unit
// that takes requests in and never answers holds up neither the start nor
// the end, and the address is saved as it was.
void TestStartup::normalEndReleasesLock()
{
    RigConfig config;
    config.units = {UnitConfig::numbered(1)};
    SimulatorRig rig(config);
    QString error;
    QVERIFY2(rig.start(0, &error), qPrintable(error));
    FaultSettings stall;
    stall.stall = true;
    rig.setFaults(0, stall);
    m_devicePort = rig.port();
    PrismoSettings::save(*PrismoSettings::openStore(settingsPath()), config.units[0].address, {});

    QProcess &first = start({});
    QVERIFY(started(first));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.requestLog().isEmpty(), 15000);
    QCOMPARE(lockHolder(), first.processId());
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(15000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(!QFile::exists(lockPath()));
    PrismoSettings saved;
    saved.load(*PrismoSettings::openStore(settingsPath()));
    QCOMPARE(saved.address, config.units[0].address);

    QProcess &next = start({});
    QVERIFY(started(next));
    QCOMPARE(lockHolder(), next.processId());
}

void TestStartup::commandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // on standard output, or standard error for an error

    QTest::newRow("help beside -m") << QStringList{"-m", "--help"} << 0 << "Usage: prismolink [options]";
    QTest::newRow("version") << QStringList{"-v"} << 0 << "Prismolink 1.0\n";
    QTest::newRow("OSC addresses") << QStringList{"--help-osc"} << 0 << "  gain/red       0.000 to 5.000";
    QTest::newRow("OSC port 0") << QStringList{"--osc-port", "0"} << 2 << "--osc-port needs a port number";
    QTest::newRow("unknown option of 100 KB") << QStringList{"--" + QString(100000, 'x')} << 2
                                               << "Unknown option '" + QString(80, 'x') + "'... (100000 characters).\nTry";
    QTest::newRow("Qt's own options") << QStringList{"-platform", "offscreen", "-style=fusion", "--bogus"} << 2
                                      << "prismolink: Unknown option 'bogus'.\nTry 'prismolink --help' for more information.";
    // The name of the unit cannot be found: the lookup's own reason, never "Success".
    QTest::newRow("unit name not found") << QStringList{"-m"} << -1 << "getaddrinfo failed: ";
}

// Help, version and errors need neither window, display nor lock; errors
// end with 2 and a hint quoting at most 80 characters of what was given; a
// run reports a failed name lookup with the lookup's own reason.
void TestStartup::commandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    if (exitCode < 0)
        PrismoSettings::save(*PrismoSettings::openStore(settingsPath()), QStringLiteral("no-such-unit.invalid"), {});
    m_noDisplay = exitCode >= 0;
    QProcess &process = start(arguments);
    QByteArray text;
    if (exitCode < 0) {
        QVERIFY(started(process));
        const QDeadlineTimer deadline(15000);
        while (!(text += process.readAllStandardError()).contains(output.toUtf8()) && !deadline.hasExpired())
            process.waitForReadyRead(200);
        QVERIFY2(!text.contains("Success"), text.constData());
        QVERIFY(!QFile::exists(lockPath())); // "-m" takes no lock
        process.terminate();
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitCode(), 0);
    } else {
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitCode(), exitCode);
        text = exitCode == 0 ? process.readAllStandardOutput() : process.readAllStandardError();
        QCOMPARE(lockHolder(), 0); // no lock was taken
    }
    QVERIFY2(text.contains(output.toUtf8()), text.constData());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
