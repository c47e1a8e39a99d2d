#include "commandline.h"
#include "hdrparameterdialog.h"
#include "httptransport.h"
#include "logcategories.h"
#include "midilog.h"
#include "midiport.h"
#include "midiremote.h"
#include "modalprompt.h"
#include "osccommand.h"
#include "oscserver.h"
#include "ports.h"
#include "prismosettings.h"
#include "programparts.h"
#include "programversion.h"
#include "taviapplication.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>

#include <cstdio>
#include <memory>
#include <optional>

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

// A look recalled by name over OSC: one of the recent looks, or a file in the
// looks folder. A name holds no path, so a remote sender reaches no other file.
QString findLook(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.startsWith(QLatin1Char('.')))
        return QString();
    for (const QString &path : PrismoSettings::recentLooks()) {
        if (QFileInfo(path).completeBaseName() == name || QFileInfo(path).fileName() == name)
            return path;
    }
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/looks"));
    for (const QString &file : {name, name + QStringLiteral(".json")}) {
        if (folder.exists(file))
            return folder.filePath(file);
    }
    return QString();
}

// The MIDI back end the command line or else the settings name; a wrong name
// in the settings costs only itself (the default is taken).
std::optional<MidiPort::Backend> midiBackend(const CommandLine &line, const PrismoSettings &settings, QString &error)
{
    if (!line.midiBackend.isEmpty()) {
        const std::optional<MidiPort::Backend> backend = MidiPort::backendByName(line.midiBackend);
        if (!backend)
            error = QStringLiteral("--midi-backend takes alsa, jack or windows, not \"%1\".").arg(line.midiBackend);
        return backend;
    }
    if (!settings.midiBackend.isEmpty()) {
        if (const std::optional<MidiPort::Backend> backend = MidiPort::backendByName(settings.midiBackend))
            return backend;
        qCWarning(lcMidi).noquote() << QStringLiteral("MIDI: MidiBackend=%1 in the settings is no back end").arg(settings.midiBackend);
    }
    return MidiPort::defaultBackend();
}

// Tells an error on the console with the hint to the help; returns the exit code.
int reportError(const QString &programName, const QString &text)
{
    std::fprintf(stderr, "%s: %s\n%s\n", qPrintable(programName), qPrintable(text),
                 qPrintable(CommandLine::errorHint(programName)));
    return 2;
}

int answer(const CommandLine &line, const QString &programName, const QString &version)
{
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(qPrintable(line.text), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(version.isEmpty() ? QStringLiteral("0.0.0 (devel)") : version));
        return 0;
    case CommandLine::Action::HelpOsc:
        std::fputs(qPrintable(OscCommand::help()), stdout);
        return 0;
    case CommandLine::Action::Error:
        return reportError(programName, line.text);
    case CommandLine::Action::Run:
        break;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "1");
    QCoreApplication::setOrganizationName(QStringLiteral("TAVI"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tavi.tv"));
    QCoreApplication::setApplicationName(QStringLiteral("Prismolink"));

    // Help, the version and a line that cannot be run are answered before
    // the application object, which needs a display.
    const CommandLine early = CommandLine::parse(CommandLine::arguments(argc, argv), QString(), CommandLine::QtOptions::Accepted);
    OscOptions osc;
    QString error;
    const bool runs = early.action == CommandLine::Action::Run && OscOptions::compose(early, PrismoSettings(), osc, error);
    if (!runs) {
        QCoreApplication core(argc, argv);
        const QString programName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        if (early.action == CommandLine::Action::Run)
            return reportError(programName, error);
        const int code = answer(CommandLine::parse(QCoreApplication::arguments(), programName, CommandLine::QtOptions::Accepted),
                                programName, ProgramVersion::ofProgram());
        return code < 0 ? 0 : code;
    }

    // "accept" or "reject": modal boxes are answered at once, for runs nobody watches.
    const QByteArray modalAnswer = qgetenv("PRISMOLINK_MODAL_ANSWER");
    if (modalAnswer == "accept" || modalAnswer == "reject")
        ModalPrompt::setHandler(ModalPrompt::answering(modalAnswer == "accept"));
    Ports ports;
    ports.device = Ports::parse(qEnvironmentVariable(Ports::DevicePortVariable)).value_or(Ports::DefaultDevicePort);
    ports.hub = Ports::parse(qEnvironmentVariable(Ports::HubPortVariable)).value_or(Ports::DefaultHubPort);

    TaviApplication app(argc, argv, 1);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/icons/prismorest.png")));
    // Lets the desktop match the window with the installed prismolink.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("prismolink"));

    const QString version = ProgramVersion::ofProgram();
    // Looked at after the application object took the options that Qt consumes.
    const QString programName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const CommandLine line = CommandLine::parse(QCoreApplication::arguments(), programName);
    if (const int code = answer(line, programName, version); code >= 0)
        return code;

    HttpTransport::sendDiagnosticsToLog();
    PrismoSettings settings;
    settings.load();
    if (!OscOptions::compose(line, settings, osc, error))
        return reportError(programName, error);
    const std::optional<MidiPort::Backend> midiThrough = midiBackend(line, settings, error);
    if (!midiThrough)
        return reportError(programName, error);

    QLockFile lock(QDir::temp().absoluteFilePath(QStringLiteral("a102.lock")));
    if (!line.multiInstance) {
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

    ProgramParts parts(HttpTransport::factory(ports.device), line.multiInstance ? 0 : ports.hub, version,
                       settings.address, settings.gangNames);
    HDRParameterDialog &dialog = parts.window();
    std::unique_ptr<OscServer> remote;
    if (osc.enabled) {
        remote = std::make_unique<OscServer>(parts.controller(), osc, findLook);
        if (remote->start(&error))
            qCInfo(lcOsc).noquote() << QStringLiteral("OSC: listening on %1 port %2").arg(osc.listen.toString()).arg(remote->port());
        else
            qCWarning(lcOsc).noquote() << QStringLiteral("OSC: cannot listen on %1 port %2: %3")
                                        .arg(osc.listen.toString())
                                        .arg(osc.port)
                                        .arg(error);
    }
    // MIDI control beside the window; learned controls go to the mapping file.
    MidiRemote midi(parts.controller(), *midiThrough);
    const QString midiMap = !line.midiMap.isEmpty() ? line.midiMap
                            : !settings.midiMap.isEmpty()
                                ? settings.midiMap
                                : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/midi-map.json");
    midi.loadMap(midiMap, &error);
    dialog.setMidi(&midi);
    midi.setEnabled(line.midi || settings.midiEnabled);
    dialog.show();
    quitOnTerminationSignals(&dialog);
    qDebug().noquote() << "Prismolink" << (version.isEmpty() ? QStringLiteral("(devel)") : version)
                       << (line.multiInstance ? "started in multi-instance mode" : "started");
    return app.exec();
}
