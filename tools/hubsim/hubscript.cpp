#include "hubscript.h"

#include "hubserver.h"

#include <QRegularExpression>

#include <cmath>

namespace {

bool readId(const QStringList &words, int index, quint32 maximum, quint32 &value)
{
    if (words.size() <= index)
        return false;
    bool ok = false;
    const uint id = words.at(index).toUInt(&ok, 0);
    if (!ok || id > maximum)
        return false;
    value = id;
    return true;
}

HubScript::Result finished(HubScript::Result result, bool ok, const QString &error = QString())
{
    result.ok = ok;
    result.output.append(ok ? QStringLiteral("ok") : QStringLiteral("error: %1").arg(error));
    return result;
}

const QString noProgram = QStringLiteral("no program connected");

} // namespace

QString HubScript::helpText()
{
    return QStringLiteral(
        "greet                 send the greeting again\n"
        "encoder ID DELTA      turn encoder ID (0 to 12) by DELTA\n"
        "button ID             press and release button ID (0 to 13)\n"
        "down ID | up ID       press or release button ID\n"
        "refresh [PANEL]       ask for a display refresh\n"
        "param ID | menu ID | mode ID\n"
        "                      ask the program for a parameter, menu or mode value\n"
        "drop                  close the program's connection\n"
        "dump                  print the display\n"
        "status                print the connection state\n"
        "wait [MS]             wait until a program has announced itself\n"
        "sleep MS              pause the script\n"
        "quit                  end the simulator\n");
}

HubScript::Result HubScript::execute(const QString &line)
{
    Result result;
    const QString text = line.trimmed();
    if (text.isEmpty() || text.startsWith(QLatin1Char('#'))) {
        result.kind = Result::Skip;
        return result;
    }
    const QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")));
    const QString command = words.first().toLower();
    quint32 id = 0;

    if (command == QLatin1String("help")) {
        result.output = helpText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return finished(result, true);
    }
    if (command == QLatin1String("greet"))
        return finished(result, m_server.greet(), noProgram);
    if (command == QLatin1String("encoder")) {
        bool ok = false;
        const float delta = words.size() == 3 ? words.at(2).toFloat(&ok) : 0.0f;
        if (!readId(words, 1, 12, id) || !ok || !std::isfinite(delta))
            return finished(result, false, QStringLiteral("usage: encoder ID(0-12) DELTA"));
        return finished(result, m_server.turnEncoder(id, delta), noProgram);
    }
    if (command == QLatin1String("button") || command == QLatin1String("down") || command == QLatin1String("up")) {
        if (words.size() != 2 || !readId(words, 1, 13, id))
            return finished(result, false, QStringLiteral("usage: %1 ID(0-13)").arg(command));
        bool ok = true;
        if (command != QLatin1String("up"))
            ok = m_server.buttonDown(id);
        if (ok && command != QLatin1String("down"))
            ok = m_server.buttonUp(id);
        return finished(result, ok, noProgram);
    }
    if (command == QLatin1String("refresh")) {
        id = m_server.panelId();
        if (words.size() > 1 && !readId(words, 1, 0xFFFFFFFFu, id))
            return finished(result, false, QStringLiteral("usage: refresh [PANEL]"));
        return finished(result, m_server.requestRefresh(id), noProgram);
    }
    if (command == QLatin1String("param") || command == QLatin1String("menu") || command == QLatin1String("mode")) {
        if (words.size() != 2 || !readId(words, 1, 0xFFFFFFFFu, id))
            return finished(result, false, QStringLiteral("usage: %1 ID").arg(command));
        const bool ok = command == QLatin1String("param")  ? m_server.requestParameter(id)
                        : command == QLatin1String("menu") ? m_server.requestMenu(id)
                                                           : m_server.requestMode(id);
        return finished(result, ok, noProgram);
    }
    if (command == QLatin1String("drop")) {
        m_server.dropClient();
        return finished(result, true);
    }
    if (command == QLatin1String("dump")) {
        result.output = m_server.display().dump().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return finished(result, true);
    }
    if (command == QLatin1String("status")) {
        result.output.append(m_server.hasClient()
                                 ? QStringLiteral("program connected: \"%1\"").arg(m_server.applicationName())
                                 : QStringLiteral("no program"));
        return finished(result, true);
    }
    if (command == QLatin1String("wait") || command == QLatin1String("sleep")) {
        const bool isWait = command == QLatin1String("wait");
        bool ok = isWait && words.size() == 1;
        int ms = isWait ? 10000 : 0;
        if (words.size() == 2)
            ms = words.at(1).toInt(&ok);
        if (!ok || ms < 0 || words.size() > 2)
            return finished(result, false, QStringLiteral("usage: %1 MS").arg(command));
        result.kind = isWait ? Result::WaitForProgram : Result::Sleep;
        result.milliseconds = ms;
        return result;
    }
    if (command == QLatin1String("quit")) {
        result.kind = Result::Quit;
        return finished(result, true);
    }
    return finished(result, false, QStringLiteral("unknown command \"%1\"; try help").arg(command));
}
