#include "hdrparameterdialog.h"
#include "modalprompt.h"
#include "ports.h"
#include "programversion.h"
#include "taviapplication.h"

#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QLockFile>
#include <QMessageBox>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
int terminationPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop as closing the window does, so the
// settings are saved and the lock is released.
void quitOnTerminationSignals(QObject *owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] { QCoreApplication::quit(); });
    std::signal(SIGTERM, onTerminationSignal);
    std::signal(SIGINT, onTerminationSignal);
}
#else
void quitOnTerminationSignals(QObject *) {}
#endif
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "1");
    QCoreApplication::setOrganizationName(QStringLiteral("TAVI"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tavi.tv"));
    QCoreApplication::setApplicationName(QStringLiteral("Prismolink"));

    TaviApplication app(argc, argv, 1);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/icons/prismorest.png")));
    // Lets the desktop match the window with the installed prismolink.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("prismolink"));

    const QString version = ProgramVersion::ofProgram();
    // Looked at after the application object took the options that Qt consumes.
    const bool multiInstance = argc == 2 && qstrcmp(argv[1], "-m") == 0;

    QLockFile lock(QDir::temp().absoluteFilePath(QStringLiteral("a102.lock")));
    if (!multiInstance) {
        qDebug() << "lock";
        qint64 pid = 0;
        QString hostName;
        QString appName;
        lock.getLockInfo(&pid, &hostName, &appName);
        qDebug() << pid << hostName << appName;
        if (!lock.tryLock(100)) {
            QMessageBox box(QMessageBox::Warning, QString(),
                            QStringLiteral("The application is already running.\nAllowed to run only one instance of the "
                                           "application. Use -m command line option to run multiple versions and not "
                                           "connect to Tangent Panel"));
            ModalPrompt::exec(box);
            return 1;
        }
    }

    HDRParameterDialog dialog(!multiInstance, version, Ports::fromEnvironment());
    dialog.show();
    quitOnTerminationSignals(&dialog);
    qDebug().noquote() << "Prismolink" << (version.isEmpty() ? QStringLiteral("(devel)") : version)
                       << (multiInstance ? "started in multi-instance mode" : "started");
    return app.exec();
}
