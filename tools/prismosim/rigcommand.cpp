#include "rigcommand.h"

#include "simulatorrig.h"
#include "unitconfig.h"

#include <QRegularExpression>
#include <QStringList>

namespace {
QString failure(const QString &text)
{
    return QStringLiteral("error: ") + text;
}

// The units a reference names: "all", a number counted from 1, an address or a host name.
QList<int> unitsNamed(const SimulatorRig &rig, const QString &reference)
{
    QList<int> units;
    if (reference == QLatin1String("all")) {
        for (int i = 0; i < rig.unitCount(); ++i)
            units << i;
    } else if (const int index = rig.unitIndex(reference); index >= 0) {
        units << index;
    }
    return units;
}

QString status(const SimulatorRig &rig)
{
    QStringList lines;
    for (int i = 0; i < rig.unitCount(); ++i) {
        const UnitConfig &unit = rig.config().units.at(i);
        lines << QStringLiteral("unit %1 %2:%3 %4 \"%5\" %6 faults=%7")
                     .arg(i + 1)
                     .arg(unit.address)
                     .arg(rig.port())
                     .arg(unit.hostName, unit.systemName)
                     .arg(rig.isOn(i) ? QStringLiteral("on") : QStringLiteral("off"))
                     .arg(rig.faults(i).describe());
    }
    lines << QStringLiteral("ok");
    return lines.join(QLatin1Char('\n'));
}
} // namespace

QString RigCommand::helpText()
{
    return QStringLiteral("Commands (one a line; UNIT is a number from 1, an address, a host name, or all):\n"
                          "  status                 list the units with their state and faults\n"
                          "  off UNIT               switch a unit off: connections refused, open ones dropped\n"
                          "  on UNIT                switch a unit on again, with the values it had\n"
                          "  fault UNIT FAULTS      add faults, e.g. fault 2 delay=300,chunked (see --help)\n"
                          "  clear UNIT             turn every fault of a unit off\n"
                          "  set UNIT PARAM VALUE   change a parameter at the unit (any text)\n"
                          "  get UNIT PARAM         show a parameter as the unit holds it\n"
                          "  help                   this list\n"
                          "  quit                   stop every unit and end\n"
                          "Every answer ends with a line that begins with \"ok\" or \"error:\".");
}

QString RigCommand::execute(SimulatorRig &rig, const QString &line, bool *quit)
{
    *quit = false;
    const QString text = line.trimmed();
    const QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return failure(QStringLiteral("empty command; type help"));
    const QString command = words.at(0);
    // The text after the first n words, with its inner blanks kept.
    const auto restAfter = [&text](int n) {
        const QRegularExpression leadingWords(QStringLiteral("^(\\S+\\s+){%1}").arg(n));
        const QRegularExpressionMatch match = leadingWords.match(text);
        return match.hasMatch() ? text.mid(match.capturedLength()).trimmed() : QString();
    };

    if (command == QLatin1String("help"))
        return helpText() + QStringLiteral("\nok");
    if (command == QLatin1String("status"))
        return status(rig);
    if (command == QLatin1String("quit")) {
        *quit = true;
        return QStringLiteral("ok");
    }

    const QStringList known{QStringLiteral("on"),    QStringLiteral("off"), QStringLiteral("fault"),
                            QStringLiteral("clear"), QStringLiteral("set"), QStringLiteral("get")};
    if (!known.contains(command))
        return failure(QStringLiteral("unknown command \"%1\"; type help").arg(command));
    if (words.size() < 2)
        return failure(QStringLiteral("%1 needs a unit").arg(command));
    const QList<int> units = unitsNamed(rig, words.at(1));
    if (units.isEmpty())
        return failure(QStringLiteral("no unit \"%1\"").arg(words.at(1)));

    if (command == QLatin1String("on")) {
        for (const int unit : units) {
            QString error;
            if (!rig.switchOn(unit, &error))
                return failure(error);
        }
    } else if (command == QLatin1String("off")) {
        for (const int unit : units)
            rig.switchOff(unit);
    } else if (command == QLatin1String("fault")) {
        if (words.size() < 3)
            return failure(QStringLiteral("fault needs the faults to set, e.g. delay=300"));
        QList<FaultSettings> changed;
        for (const int unit : units) {
            FaultSettings faults = rig.faults(unit);
            QString error;
            if (!faults.apply(restAfter(2), &error))
                return failure(error);
            changed << faults;
        }
        for (int i = 0; i < units.size(); ++i)
            rig.setFaults(units.at(i), changed.at(i));
    } else if (command == QLatin1String("clear")) {
        for (const int unit : units)
            rig.setFaults(unit, FaultSettings());
    } else if (command == QLatin1String("set")) {
        if (words.size() < 4)
            return failure(QStringLiteral("set needs a unit, a parameter and a value"));
        for (const int unit : units) {
            if (!rig.setParameter(unit, words.at(2).toLatin1(), restAfter(3).toUtf8()))
                return failure(QStringLiteral("no parameter \"%1\"").arg(words.at(2)));
        }
    } else {
        if (words.size() != 3 || units.size() != 1)
            return failure(QStringLiteral("get needs one unit and one parameter"));
        const std::optional<QByteArray> value = rig.parameter(units.front(), words.at(2).toLatin1());
        if (!value)
            return failure(QStringLiteral("no parameter \"%1\"").arg(words.at(2)));
        return QStringLiteral("ok ") + QString::fromUtf8(*value);
    }
    return QStringLiteral("ok");
}
