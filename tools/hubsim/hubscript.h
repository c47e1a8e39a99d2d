#pragma once

#include <QString>
#include <QStringList>

class HubServer;

// The text commands of the simulator's headless mode, one per line:
//
//   greet                 send the greeting again
//   encoder ID DELTA      turn encoder ID (0 to 12) by DELTA
//   button ID             press and release button ID (0 to 13)
//   down ID / up ID       press or release button ID
//   refresh [PANEL]       ask for a display refresh (default: the panel)
//   param ID / menu ID / mode ID
//                         ask the program for a parameter, menu or mode value
//   drop                  close the program's connection
//   dump                  print the display, one framed line each
//   status                print whether a program is connected and its name
//   wait [MS]             wait until a program has announced itself (default 10000 ms)
//   sleep MS              pause the script
//   quit                  end the simulator
//   help                  list the commands
//
// Each command answers with its output lines and then "ok" or "error: ...".
// Blank lines and lines starting with # are skipped without an answer.
class HubScript
{
public:
    struct Result
    {
        enum Kind { Done, Skip, WaitForProgram, Sleep, Quit };
        Kind kind = Done;
        bool ok = true;
        QStringList output; // ends with "ok" or "error: ..." unless Skip
        int milliseconds = 0;
    };

    explicit HubScript(HubServer &server) : m_server(server) {}

    Result execute(const QString &line);

    static QString helpText();

private:
    HubServer &m_server;
};
