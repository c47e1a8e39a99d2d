#include "osccommand.h"

#include "parametercatalogue.h"

#include <QStringList>

#include <iterator>

using PC = ParameterCatalogue;
using K = RemoteRequest::Kind;
using A = OscCommand::Arguments;
using N = OscCommand::Names;

const char OscCommand::Root[] = "/prismolink";

namespace {
// Costs weigh what obeying does on the window's thread: a set writes one
// parameter; an undo, a reset or a channel writes or reads a whole channel;
// a look is read from a file first; a unit is connected and identified.
constexpr int Channel = 32;

const OscCommand commands[] = {
    {"NAME", N::All, A::Number, K::Set, 1, true, "a number; none: a query",
     "sets a parameter (names below): sliders in shown units (`1.25`), clamped to their range; range choosers by the "
     "units' own number, refused when no entry has it; switches 0 or 1 (or T/F)"},
    {"nudge/NAME", N::Sliders, A::Number, K::Nudge, 1, false, "a number", "adds to a slider (shown units)"},
    {"reset/NAME", N::Sliders, A::None, K::Reset, 1, false, "none", "a slider back to its reset value"},
    {"reset", N::None, A::None, K::ResetAll, Channel, false, "none",
     "every slider back, as the reset button (when Adjust is on)"},
    {"channel", N::None, A::Channel, K::Channel, Channel, true, "0 to 4; none: a query",
     "selects 4K/UHD (0) or Video 1 to 4"},
    {"unit", N::None, A::Text, K::Unit, 256, true, "text; none: a query",
     "makes the unit with this host name or address current"},
    {"look/recall", N::None, A::Text, K::RecallLook, 64, false, "text",
     "recalls a look file by name: a recent look, or `NAME.json` in `~/.local/share/TAVI/Prismolink/looks/`"},
    {"undo", N::None, A::None, K::Undo, Channel, false, "none", "as Ctrl+Z"},
    {"redo", N::None, A::None, K::Redo, Channel, false, "none", "as Ctrl+Y"},
    {"ab/store/a", N::None, A::None, K::StoreA, 4, false, "none", "stores the current look as A"},
    {"ab/store/b", N::None, A::None, K::StoreB, 4, false, "none", "stores the current look as B"},
    {"ab/toggle", N::None, A::None, K::ToggleLooks, Channel, false, "none", "puts the other look on, as the A/B button"},
    {"gang/match", N::None, A::None, K::MatchGang, 256, false, "none",
     "\"Match ganged units\": every ganged unit takes the current channel's values (one undo step)"},
    {"subscribe", N::None, A::Subscribe, K::Subscribe, 100, false, "none, a port, or a port and the cookie",
     "asks for feedback on that port of the sender's address (none: the port it sends from), and confirms or renews "
     "the subscription with the cookie (see below)"},
    {"unsubscribe", N::None, A::PortCookie, K::Unsubscribe, 100, false, "a port and the cookie", "ends the subscription"},
};

// Markdown as plain text in lines of at most 80 characters, each indented.
QString plain(const char *markdown, int indent)
{
    QString text;
    QString line;
    for (const QString &word : QString::fromUtf8(markdown).remove(QLatin1Char('`')).split(QLatin1Char(' '))) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > 80) {
            text += QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return text + QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
}

// The values a parameter takes, as its address takes them.
QString values(const PC::SlotInfo &info)
{
    switch (info.kind) {
    case PC::Kind::Scaled:
        return QStringLiteral("%1 to %2").arg(info.minimum / 1000.0, 0, 'f', 3).arg(info.maximum / 1000.0, 0, 'f', 3);
    case PC::Kind::Nits:
        return QStringLiteral("%1 to %2 nits").arg(info.minimum).arg(info.maximum);
    case PC::Kind::Switch:
        return QStringLiteral("0 or 1");
    case PC::Kind::Choice: {
        QStringList numbers;
        for (int row = 0; row < info.choiceCount; ++row)
            numbers << QString::number(info.choices[row].value);
        return numbers.join(QLatin1Char(' '));
    }
    case PC::Kind::Unbound:
        break;
    }
    return QString();
}

const char Feedback[] =
    "Feedback goes only to a subscriber that has shown it receives at its address.\n"
    "Send /prismolink/subscribe with the PORT to be answered on (none: the port it\n"
    "is sent from). The program answers on that port with\n"
    "\n"
    "  /prismolink/subscribe PORT COOKIE\n"
    "\n"
    "(two int32). Send that very message back from the same address to confirm the\n"
    "subscription, and again at least every 10 seconds to keep it; without it the\n"
    "subscription ends after 10 seconds. On confirmation the subscriber gets every\n"
    "current value at once, then each change (each address at most every 20 ms).\n"
    "/prismolink/unsubscribe PORT COOKIE ends it. An address that takes a value,\n"
    "sent without arguments (/prismolink/gain/red, /prismolink/channel,\n"
    "/prismolink/unit), is a query: the current value goes to the sender's\n"
    "confirmed subscriptions. At most 16 subscriptions, 4 per address.\n";
} // namespace

OscCommand::Rows OscCommand::table()
{
    return {std::begin(commands), std::end(commands)};
}

QString OscCommand::address() const
{
    return QLatin1String(Root) + QLatin1Char('/') + QLatin1String(path);
}

QString OscCommand::help()
{
    QString text = QStringLiteral("OSC addresses (UDP; numbers as int32, float, double or int64):\n\n");
    for (const OscCommand &command : commands) {
        text += QStringLiteral("  %1 (%2)\n").arg(command.address(), QString::fromUtf8(command.argumentsText))
              + plain(command.does, 6);
    }
    text += QLatin1Char('\n') + QLatin1String(Feedback) + QStringLiteral("\nParameters (NAME, values):\n\n");
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        const PC::SlotInfo &info = PC::slot(slot);
        if (info.remoteName)
            text += QStringLiteral("  %1 %2\n").arg(QString::fromLatin1(info.remoteName).leftJustified(14), values(info));
    }
    return text;
}

QString OscCommand::markdown()
{
    QString text = QStringLiteral("| Address | Arguments | Does |\n|---|---|---|\n");
    for (const OscCommand &command : commands) {
        text += QStringLiteral("| `%1` | %2 | %3 |\n")
                    .arg(command.address(), QString::fromUtf8(command.argumentsText), QString::fromUtf8(command.does));
    }
    // Parameters that take the same values share a row, in the table's order.
    QStringList rows;
    QList<QStringList> names;
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        const PC::SlotInfo &info = PC::slot(slot);
        if (!info.remoteName)
            continue;
        const QString taken = values(info);
        if (!rows.contains(taken)) {
            rows << taken;
            names << QStringList();
        }
        names[rows.indexOf(taken)] << QStringLiteral("`%1`").arg(QLatin1String(info.remoteName));
    }
    text += QStringLiteral("\n| NAME | Values |\n|---|---|\n");
    for (int row = 0; row < rows.size(); ++row)
        text += QStringLiteral("| %1 | %2 |\n").arg(names[row].join(QStringLiteral(", ")), rows[row]);
    return text;
}
