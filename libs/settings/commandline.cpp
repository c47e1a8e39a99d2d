#include "commandline.h"

#include "ports.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <optional>

namespace {
// The program's options as the parser knows them, for a full parse and for
// the early look at whether the line only asks for information.
struct Options
{
    const QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and end.")};
    const QCommandLineOption version{QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and end.")};
    const QCommandLineOption multi{QStringLiteral("m"),
                                   QStringLiteral("Run beside another copy, without connecting to the control panel.")};
    const QCommandLineOption osc{QStringLiteral("osc"),
                                 QStringLiteral("Take remote control over OSC (UDP) on the port of the settings (%1).")
                                     .arg(Ports::DefaultOscPort)};
    const QCommandLineOption oscPort{QStringLiteral("osc-port"), QStringLiteral("Take remote control over OSC on PORT."),
                                     QStringLiteral("PORT")};
    const QCommandLineOption oscListen{QStringLiteral("osc-listen"),
                                       QStringLiteral("Listen for OSC on ADDRESS instead of 127.0.0.1."),
                                       QStringLiteral("ADDRESS")};
    const QCommandLineOption oscAllow{QStringLiteral("osc-allow"),
                                      QStringLiteral("Obey OSC senders beyond this computer from LIST (addresses and "
                                                     "subnets a.b.c.d/n, comma-separated)."),
                                      QStringLiteral("LIST")};
    const QCommandLineOption helpOsc{QStringLiteral("help-osc"), QStringLiteral("Print the OSC addresses and end.")};

    // False when the line is no valid one; the parser then tells why.
    bool parse(QCommandLineParser &parser, const QStringList &arguments, CommandLine::QtOptions qt) const
    {
        parser.setApplicationDescription(
            QStringLiteral("Adjusts the HDR colour processing of Prismo converters, with the gang, the Tangent panel "
                           "and remote control over OSC."));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({help, version, multi, osc, oscPort, oscListen, oscAllow, helpOsc});
        if (qt == CommandLine::QtOptions::Accepted)
            addQtOptions(parser);
        return parser.parse(arguments);
    }

    // Qt's own options (of the application object, its platforms and its
    // styles), which the application object takes before the program reads
    // the line: a look at the line before that object is made accepts them.
    static void addQtOptions(QCommandLineParser &parser)
    {
        static const char *const withValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                                "qwindowgeometry", "geometry", "qwindowicon", "icon", "qwindowtitle",
                                                "title", "session", "style", "stylesheet", "display", "name", "visual",
                                                "qmljsdebugger"};
        static const char *const switches[] = {"reverse", "testability", "widgetcount", "dograb", "nograb", "sync"};
        for (const char *name : withValue) {
            QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("VALUE"));
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
        for (const char *name : switches) {
            QCommandLineOption option(QString::fromLatin1(name));
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
    }

    // Help, the version or the OSC addresses, when a parsed line asks for one.
    std::optional<CommandLine::Action> information(const QCommandLineParser &parser) const
    {
        if (parser.isSet(help))
            return CommandLine::Action::Help;
        if (parser.isSet(version))
            return CommandLine::Action::Version;
        if (parser.isSet(helpOsc))
            return CommandLine::Action::HelpOsc;
        return std::nullopt;
    }
};
} // namespace

CommandLine CommandLine::parse(const QStringList &arguments, const QString &programName, QtOptions qt)
{
    QCommandLineParser parser;
    const Options options;
    CommandLine line;
    if (!options.parse(parser, arguments, qt)) {
        line.action = Action::Error;
        // The parser's own text would repeat an unknown option whole, however long.
        const QStringList unknown = parser.unknownOptionNames();
        line.text = unknown.isEmpty() ? parser.errorText()
                                      : QStringLiteral("Unknown option %1.").arg(quote(unknown.constFirst(), QLatin1Char('\'')));
        return line;
    }
    if (const std::optional<Action> asked = options.information(parser)) {
        line.action = *asked;
        // The parser writes its help with the application object's arguments;
        // before there is one, only the action is wanted.
        if (line.action == Action::Help && QCoreApplication::instance()) {
            // The usage line names the program as it is installed, not the path it was started by.
            const QString text = parser.helpText();
            line.text = QStringLiteral("Usage: %1 [options]").arg(programName) + text.mid(text.indexOf(QLatin1Char('\n')));
            if (!line.text.endsWith(QLatin1Char('\n')))
                line.text += QLatin1Char('\n');
        }
        return line;
    }
    line.multiInstance = parser.isSet(options.multi) && parser.positionalArguments().isEmpty();
    line.osc = parser.isSet(options.osc) || parser.isSet(options.oscPort);
    if (parser.isSet(options.oscPort)) {
        line.oscPort = Ports::parse(parser.value(options.oscPort));
        if (!line.oscPort) {
            line.action = Action::Error;
            line.text = QStringLiteral("--osc-port needs a port number from 1 to 65535, not %1.").arg(quote(parser.value(options.oscPort)));
            return line;
        }
    }
    line.oscListen = parser.value(options.oscListen);
    line.oscAllow = parser.value(options.oscAllow);
    return line;
}

QStringList CommandLine::arguments(int argc, const char *const argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QString CommandLine::errorHint(const QString &programName)
{
    return QStringLiteral("Try '%1 --help' for more information.").arg(programName);
}

QString CommandLine::quote(const QString &given, QChar mark)
{
    if (given.size() <= QuotedLength)
        return mark + given + mark;
    return mark + given.left(QuotedLength) + mark + QStringLiteral("... (%1 characters)").arg(given.size());
}
