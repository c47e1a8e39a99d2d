#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The program's command line, read after Qt took its own options:
//
//   -h, --help            print the options and end
//   -v, --version         print the version and end
//   -m                    one more copy, without the control panel
//   --osc                 remote control over OSC, on the port of the settings
//   --osc-port PORT       ... on this UDP port (turns it on)
//   --osc-listen ADDRESS  listen on this address instead of 127.0.0.1
//   --osc-allow LIST      senders obeyed beyond loopback (addresses, a.b.c.d/n)
//   --help-osc            print the OSC addresses and end
//
// An argument that is no option makes -m count for nothing: such a command
// line runs a single copy, as one without options does. What follows "--"
// is no option. An unknown option is an error.
//
// The line is read twice: before the application object is made (which
// needs a display), so that help, the version and errors are answered
// without one, with Qt's own options accepted; and after it, when Qt has
// taken its own.
struct CommandLine
{
    enum class Action { Run, Help, Version, HelpOsc, Error };
    enum class QtOptions { Taken, Accepted };

    Action action = Action::Run;
    bool multiInstance = false;
    // Run with OSC: the options given (empty when not given).
    bool osc = false;
    std::optional<quint16> oscPort;
    QString oscListen;
    QString oscAllow;
    // Help: the text to print; Error: the one-line message.
    QString text;

    static CommandLine parse(const QStringList &arguments, const QString &programName, QtOptions qt = QtOptions::Taken);
    // The command line as main() has it, before there is an application object.
    static QStringList arguments(int argc, const char *const argv[]);
    // How an error is told on the console.
    static QString errorHint(const QString &programName);
    // Text given from outside as a message quotes it: between the marks, at
    // most QuotedLength characters of it.
    static constexpr int QuotedLength = 80;
    static QString quote(const QString &given, QChar mark = QLatin1Char('"'));
};
