// tangent-hub-sim: plays the Tangent Hub on 127.0.0.1 for Prismolink, with a
// window of encoders, buttons and the panel display, or headless with script
// commands on standard input.

#include "headlessrunner.h"
#include "hubscript.h"
#include "hubserver.h"
#include "hubsimwindow.h"
#include "ports.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct Options
{
    bool headless = false;
    quint16 port = 0;
    quint32 panelId = 1;
    quint32 panelType = 0x0C;
    quint32 revision = 5;
};

// The port: --port, else the one the environment gave.
bool parseOptions(const QStringList &arguments, quint16 environmentPort, Options &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays the Tangent Hub for Prismolink on 127.0.0.1: greets the program, shows the panel "
                       "display it writes and sends encoder and button events.\n\nHeadless commands (one per line "
                       "on standard input):\n")
        + HubScript::helpText());
    parser.addHelpOption();
    const QCommandLineOption headless(QStringLiteral("headless"),
                                      QStringLiteral("No window: read commands from standard input until it ends."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("TCP port (default: PRISMOLINK_HUB_PORT, else 64246)."),
                                  QStringLiteral("port"));
    const QCommandLineOption panel(QStringLiteral("panel-id"), QStringLiteral("Id of the simulated panel (default 1)."),
                                   QStringLiteral("id"));
    parser.addOptions({headless, port, panel});
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fprintf(stdout, "%s", qPrintable(parser.helpText()));
        std::exit(0);
    }
    options.headless = parser.isSet(headless);
    options.port = environmentPort;
    bool ok = true;
    if (parser.isSet(port)) {
        const uint value = parser.value(port).toUInt(&ok);
        if (!ok || value == 0 || value > 65535) {
            std::fprintf(stderr, "--port needs a number from 1 to 65535\n");
            return false;
        }
        options.port = quint16(value);
    }
    if (parser.isSet(panel)) {
        options.panelId = parser.value(panel).toUInt(&ok, 0);
        if (!ok) {
            std::fprintf(stderr, "--panel-id needs a number\n");
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    bool windowless = false;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
        const QString &argument = arguments.last();
        windowless = windowless || argument == QLatin1String("--headless") || argument == QLatin1String("--help")
                     || argument == QLatin1String("-h") || argument == QLatin1String("--help-all");
    }
    // Headless runs and the help text need no display at all.
    std::unique_ptr<QCoreApplication> app = windowless ? std::make_unique<QCoreApplication>(argc, argv)
                                                       : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tangent-hub-sim"));

    Options options;
    const quint16 hubPort = Ports::parse(qEnvironmentVariable(Ports::HubPortVariable)).value_or(Ports::DefaultHubPort);
    if (!parseOptions(arguments, hubPort, options))
        return 2;

    HubServer server;
    server.setPanel(options.revision, options.panelType, options.panelId);
    if (!server.listen(options.port)) {
        std::fprintf(stderr, "tangent-hub-sim: cannot listen on 127.0.0.1:%u: %s\n", options.port,
                     qPrintable(server.errorString()));
        return 1;
    }
    std::fprintf(stderr, "tangent-hub-sim: listening on 127.0.0.1:%u\n", server.port());

    if (options.headless) {
        HeadlessRunner runner(server, 0, stdout, stderr);
        QObject::connect(&runner, &HeadlessRunner::finished, app.get(), &QCoreApplication::quit, Qt::QueuedConnection);
        return app->exec();
    }
    HubSimWindow window(server);
    window.show();
    return app->exec();
}
