#include "commandline.h"

#include "ports.h"

#include <QCommandLineParser>

namespace {
// The options answered without running the program.
const QStringList HelpNames{QStringLiteral("h"), QStringLiteral("help")};
const QStringList VersionNames{QStringLiteral("v"), QStringLiteral("version")};
const QString HelpOscName = QStringLiteral("help-osc");
} // namespace

CommandLine CommandLine::parse(const QStringList &arguments, const QString &programName)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Adjusts the HDR colour processing of Prismo converters, with the gang, the Tangent panel "
                       "and remote control over OSC."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(HelpNames, QStringLiteral("Print this help and end."));
    const QCommandLineOption version(VersionNames, QStringLiteral("Print the version and end."));
    const QCommandLineOption multi(QStringLiteral("m"),
                                   QStringLiteral("Run beside another copy, without connecting to the control panel."));
    const QCommandLineOption osc(QStringLiteral("osc"),
                                 QStringLiteral("Take remote control over OSC (UDP) on the port of the settings (%1).")
                                     .arg(Ports::DefaultOscPort));
    const QCommandLineOption oscPort(QStringLiteral("osc-port"), QStringLiteral("Take remote control over OSC on PORT."),
                                     QStringLiteral("PORT"));
    const QCommandLineOption oscListen(QStringLiteral("osc-listen"),
                                       QStringLiteral("Listen for OSC on ADDRESS instead of 127.0.0.1."),
                                       QStringLiteral("ADDRESS"));
    const QCommandLineOption oscAllow(QStringLiteral("osc-allow"),
                                      QStringLiteral("Obey OSC senders beyond this computer from LIST (addresses and "
                                                     "subnets a.b.c.d/n, comma-separated)."),
                                      QStringLiteral("LIST"));
    const QCommandLineOption helpOsc(HelpOscName, QStringLiteral("Print the OSC addresses and end."));
    parser.addOptions({help, version, multi, osc, oscPort, oscListen, oscAllow, helpOsc});

    CommandLine line;
    if (!parser.parse(arguments)) {
        line.action = Action::Error;
        line.text = parser.errorText();
        return line;
    }
    if (parser.isSet(help)) {
        line.action = Action::Help;
        // The usage line names the program as it is installed, not the path it was started by.
        const QString text = parser.helpText();
        line.text = QStringLiteral("Usage: %1 [options]").arg(programName) + text.mid(text.indexOf(QLatin1Char('\n')));
        if (!line.text.endsWith(QLatin1Char('\n')))
            line.text += QLatin1Char('\n');
        return line;
    }
    if (parser.isSet(version)) {
        line.action = Action::Version;
        return line;
    }
    if (parser.isSet(helpOsc)) {
        line.action = Action::HelpOsc;
        return line;
    }
    line.multiInstance = parser.isSet(multi) && parser.positionalArguments().isEmpty();
    line.osc = parser.isSet(osc) || parser.isSet(oscPort);
    if (parser.isSet(oscPort)) {
        line.oscPort = Ports::parse(parser.value(oscPort));
        if (!line.oscPort) {
            line.action = Action::Error;
            line.text = QStringLiteral("--osc-port needs a port number from 1 to 65535, not \"%1\".").arg(parser.value(oscPort));
            return line;
        }
    }
    line.oscListen = parser.value(oscListen);
    line.oscAllow = parser.value(oscAllow);
    return line;
}

bool CommandLine::asksForInformation(int argc, const char *const argv[])
{
    const QStringList names = HelpNames + VersionNames + QStringList{HelpOscName};
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        // What follows "--" is no option, whatever it looks like.
        if (argument == QLatin1String("--"))
            return false;
        for (const QString &name : names) {
            // A long name is taken with one dash as with two (single-dash words are long options).
            if (argument == QLatin1Char('-') + name || (name.size() > 1 && argument == QLatin1String("--") + name))
                return true;
        }
    }
    return false;
}

QString CommandLine::errorHint(const QString &programName)
{
    return QStringLiteral("Try '%1 --help' for more information.").arg(programName);
}
