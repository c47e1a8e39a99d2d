#include "ports.h"
#include "rigcommand.h"
#include "rigconfig.h"
#include "simulatorrig.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
const char *const Description = R"(Simulated Prismo units for Prismolink: each unit listens on its own address
(every 127.x.y.z address is loopback on Linux) and answers the units' HTTP
parameter interface: every controlled parameter on all five channels,
product id, system name, software version, channel mode (eParamID_ZyloMode)
and the network-services list. Without --unit or --config it runs three
units: 127.0.0.11 and 127.0.0.12 with four channels, 127.0.0.13 in 4K/UHD mode.

Unit settings (--unit, comma-separated): name=<system name>, host=<host name>,
address=<IPv4>, mode=1|2 (1: four channels, 2: 4K/UHD), version=<a.b.c.d or
the packed number>, product=<product id, KVEL for a Prismo>. Missing ones
default to "Prismo N", prismo-N, 127.0.0.(10+N), 1, 1.4.2.7, KVEL.

Faults (--fault UNIT:FAULTS, the "faults" member in a file, or the fault
command; comma- or blank-separated; UNIT is a number from 1, an address, a
host name or all):
  delay=MS        every reply waits MS milliseconds
  chunked[=N]     bodies sent chunked, N bytes a chunk (16)
  close           "Connection: close" on every reply, then the connection closes
  drop=N          every Nth request closes its connection without a reply
  fail=PARAM      reads and sets of PARAM answer 500 (repeatable)
  stall           connections accepted, requests never answered
  oversize[=N]    bodies padded with '#' to N bytes (5000)
  standard        no line end after a counted body, as standard servers send
  garbage         every request answered with a line of junk, not HTTP; nothing
                  changes and the connection stays open
  cut[=N]         only the first N bytes of each reply (half), then the
                  connection closes
  none            every fault off; no-<fault> turns one off (no-fail=PARAM)

Request log: one line per request received, "<unit address> <request line>",
on standard output or the --log file. Messages and command answers go to
standard error.

)";

#ifdef Q_OS_UNIX
int terminationPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

// Commands typed on standard input; Windows has no notifier for a console or a pipe.
const char *const CommandsHint = "; type help for commands";
#else
const char *const CommandsHint = "";
#endif

void message(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The port: --port, else the program's device port from the environment.
bool devicePort(const QCommandLineParser &parser, quint16 environmentPort, quint16 &port, QString *error)
{
    const QString text = parser.value(QStringLiteral("port"));
    if (text.isEmpty()) {
        port = environmentPort;
        return true;
    }
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    if (!ok || value > 65535) {
        *error = QStringLiteral("--port must be a port number 0..65535, not \"%1\"").arg(text);
        return false;
    }
    port = static_cast<quint16>(value);
    return true;
}

bool rigFromOptions(const QCommandLineParser &parser, RigConfig &rig, QString *error)
{
    const QString file = parser.value(QStringLiteral("config"));
    const QStringList unitTexts = parser.values(QStringLiteral("unit"));
    if (file.isEmpty() && unitTexts.isEmpty()) {
        rig = RigConfig::defaultRig();
    } else if (!file.isEmpty()) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(file, in.errorString());
            return false;
        }
        if (!RigConfig::fromJson(in.readAll(), rig, error)) {
            *error = QStringLiteral("%1: %2").arg(file, *error);
            return false;
        }
    } else {
        rig.otherServices = {RigConfig::defaultOtherService()};
    }
    for (const QString &text : unitTexts) {
        UnitConfig unit = UnitConfig::numbered(rig.units.size() + 1);
        if (!unit.applyText(text, error)) {
            *error = QStringLiteral("--unit %1: %2").arg(text, *error);
            return false;
        }
        rig.units.append(unit);
    }
    const QStringList faults = parser.values(QStringLiteral("fault"));
    for (const QString &text : faults) {
        const int colon = text.indexOf(QLatin1Char(':'));
        const QString reference = text.left(colon);
        QList<int> units;
        for (int i = 0; i < rig.units.size(); ++i) {
            if (reference == QLatin1String("all"))
                units << i;
        }
        if (reference != QLatin1String("all") && rig.unitIndex(reference) >= 0)
            units << rig.unitIndex(reference);
        if (colon < 0 || units.isEmpty()) {
            *error = QStringLiteral("--fault %1: expected UNIT:FAULTS with a unit of the rig").arg(text);
            return false;
        }
        for (const int unit : units) {
            if (!rig.units[unit].faults.apply(text.mid(colon + 1), error)) {
                *error = QStringLiteral("--fault %1: %2").arg(text, *error);
                return false;
            }
        }
    }
    return rig.validate(error);
}

struct FileCloser
{
    void operator()(std::FILE *file) const
    {
        if (file != stdout)
            std::fclose(file);
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("prismo-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description) + RigCommand::helpText());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {{QStringLiteral("p"), QStringLiteral("port")},
         QStringLiteral("TCP port of every unit (default: PRISMOLINK_DEVICE_PORT, else 80; 0 picks a free one)."),
         QStringLiteral("port")},
        {{QStringLiteral("c"), QStringLiteral("config")},
         QStringLiteral("Read the units from a JSON file (see the README)."),
         QStringLiteral("file")},
        {{QStringLiteral("u"), QStringLiteral("unit")},
         QStringLiteral("Add a unit described by its settings (repeatable)."),
         QStringLiteral("settings")},
        {{QStringLiteral("f"), QStringLiteral("fault")},
         QStringLiteral("Start a unit with faults, as UNIT:FAULTS (repeatable)."),
         QStringLiteral("unit:faults")},
        {{QStringLiteral("l"), QStringLiteral("log")},
         QStringLiteral("Write the request log to a file instead of standard output."),
         QStringLiteral("file")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("Write no request log.")},
    });
    parser.process(app);

    QString error;
    quint16 port = 80;
    RigConfig config;
    const quint16 environmentPort =
        Ports::parse(qEnvironmentVariable(Ports::DevicePortVariable)).value_or(Ports::DefaultDevicePort);
    if (!devicePort(parser, environmentPort, port, &error) || !rigFromOptions(parser, config, &error)) {
        message(QStringLiteral("prismo-sim: %1").arg(error));
        return 2;
    }

    std::unique_ptr<std::FILE, FileCloser> log;
    if (!parser.isSet(QStringLiteral("quiet"))) {
        const QString path = parser.value(QStringLiteral("log"));
        log.reset(path.isEmpty() || path == QLatin1String("-") ? stdout
                                                               : std::fopen(QFile::encodeName(path).constData(), "w"));
        if (!log) {
            message(QStringLiteral("prismo-sim: cannot write the log %1").arg(path));
            return 2;
        }
    }

    SimulatorRig rig(config);
    if (log) {
        QObject::connect(&rig, &SimulatorRig::requestLogged, &app, [&log](const QString &line) {
            std::fprintf(log.get(), "%s\n", line.toUtf8().constData());
            std::fflush(log.get());
        });
    }
    if (!rig.start(port, &error)) {
        message(QStringLiteral("prismo-sim: %1").arg(error));
        return 1;
    }
    for (int i = 0; i < rig.unitCount(); ++i) {
        const UnitConfig &unit = config.units.at(i);
        message(QStringLiteral("prismo-sim: unit %1 \"%2\" (%3) at %4:%5, %6, version %7, product %8, faults %9")
                    .arg(i + 1)
                    .arg(unit.systemName, unit.hostName, unit.address)
                    .arg(rig.port())
                    .arg(unit.channelMode == 2 ? QStringLiteral("4K/UHD") : QStringLiteral("four channels"),
                         UnitConfig::versionText(unit.softwareVersion), QString::fromUtf8(unit.productId),
                         unit.faults.describe()));
    }

#ifdef Q_OS_UNIX
    // SIGINT and SIGTERM end the event loop, so every unit closes its connections.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) == 0) {
        auto *notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
        std::signal(SIGTERM, onTerminationSignal);
        std::signal(SIGINT, onTerminationSignal);
    }

    // Started in the background of a terminal, a read would stop the process;
    // with SIGTTIN ignored it fails instead, and commands are off.
    std::signal(SIGTTIN, SIG_IGN);
    QByteArray typed;
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QObject::connect(input, &QSocketNotifier::activated, &app, [&rig, &typed, input] {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        // At the end of the input, or in the background, the units go on running without commands.
        if (count <= 0) {
            input->setEnabled(false);
            return;
        }
        typed.append(buffer, static_cast<int>(count));
        for (int end = typed.indexOf('\n'); end >= 0; end = typed.indexOf('\n')) {
            const QString line = QString::fromUtf8(typed.left(end));
            typed.remove(0, end + 1);
            if (line.trimmed().isEmpty())
                continue;
            bool quit = false;
            message(RigCommand::execute(rig, line, &quit));
            if (quit)
                QCoreApplication::quit();
        }
    });
#endif

    message(QStringLiteral("prismo-sim: listening on port %1 with %2 units%3")
                .arg(rig.port())
                .arg(rig.unitCount())
                .arg(QLatin1String(CommandsHint)));
    const int result = QCoreApplication::exec();
    rig.stop();
    // Lines of the last requests may still wait in the event queue.
    QCoreApplication::sendPostedEvents();
    message(QStringLiteral("prismo-sim: stopped"));
    return result;
}
