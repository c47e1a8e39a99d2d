#include "oscrouter.h"

#include "parametercatalogue.h"

#include <lo/lo.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

using PC = ParameterCatalogue;

const char OscRouter::Root[] = "/prismolink";

namespace {

OscRouter::Result request(RemoteRequest::Kind kind, int slot = -1, int value = 0, const QString &text = QString())
{
    RemoteRequest r;
    r.kind = kind;
    r.slot = slot;
    r.value = value;
    r.text = text;
    return r;
}

bool isNumber(double value)
{
    return std::isfinite(value);
}

int clampedPosition(int slot, double shown)
{
    const PC::SlotInfo &info = PC::slot(slot);
    const double position = std::round(PC::positionOf(slot, shown));
    return int(qBound<double>(info.minimum, position, info.maximum));
}

OscRouter::Result setParameter(int slot, double number)
{
    const PC::SlotInfo &info = PC::slot(slot);
    switch (info.kind) {
    case PC::Kind::Scaled:
    case PC::Kind::Nits:
        return request(RemoteRequest::Kind::Set, slot, clampedPosition(slot, number));
    case PC::Kind::Switch:
        return request(RemoteRequest::Kind::Set, slot, number != 0 ? 1 : 0);
    case PC::Kind::Choice: {
        if (number != std::floor(number) || std::fabs(number) > 1e9)
            return OscRouter::Refusal::OutOfRange;
        const std::optional<int> row = PC::fromWire(slot, QByteArray::number(qint64(number)));
        if (!row)
            return OscRouter::Refusal::OutOfRange;
        return request(RemoteRequest::Kind::Set, slot, *row);
    }
    case PC::Kind::Unbound:
        break;
    }
    return OscRouter::Refusal::UnknownAddress;
}

} // namespace

OscRouter::Result OscRouter::route(const Message &message)
{
    const QByteArray root = Root;
    if (!message.path.startsWith(root + '/'))
        return Refusal::UnknownAddress;
    const QString path = QString::fromUtf8(message.path.mid(root.size() + 1));
    const int count = message.types.size();
    const auto noArguments = [&](RemoteRequest::Kind kind) -> Result {
        return count == 0 ? request(kind) : Result(Refusal::BadArguments);
    };
    const auto oneNumber = [&]() { return count == 1 && isNumber(message.numbers.value(0)); };
    const auto oneText = [&]() { return count == 1 && message.types[0] == 's'; };

    if (path == QLatin1String("undo"))
        return noArguments(RemoteRequest::Kind::Undo);
    if (path == QLatin1String("redo"))
        return noArguments(RemoteRequest::Kind::Redo);
    if (path == QLatin1String("ab/store/a"))
        return noArguments(RemoteRequest::Kind::StoreA);
    if (path == QLatin1String("ab/store/b"))
        return noArguments(RemoteRequest::Kind::StoreB);
    if (path == QLatin1String("ab/toggle"))
        return noArguments(RemoteRequest::Kind::ToggleLooks);
    if (path == QLatin1String("gang/match"))
        return noArguments(RemoteRequest::Kind::MatchGang);
    if (path == QLatin1String("reset"))
        return noArguments(RemoteRequest::Kind::ResetAll);
    if (path == QLatin1String("look/recall"))
        return oneText() ? request(RemoteRequest::Kind::RecallLook, -1, 0, message.texts[0]) : Result(Refusal::BadArguments);
    if (path == QLatin1String("unit"))
        return oneText() ? request(RemoteRequest::Kind::Unit, -1, 0, message.texts[0]) : Result(Refusal::BadArguments);
    if (path == QLatin1String("channel") || path == QLatin1String("subscribe") || path == QLatin1String("unsubscribe")) {
        if (!oneNumber())
            return Refusal::BadArguments;
        const double number = message.numbers[0];
        const bool channel = path == QLatin1String("channel");
        if (number != std::floor(number) || number < (channel ? 0 : 1) || number > (channel ? PC::ChannelCount - 1 : 65535))
            return Refusal::OutOfRange;
        const RemoteRequest::Kind kind = channel ? RemoteRequest::Kind::Channel
                                         : path == QLatin1String("subscribe") ? RemoteRequest::Kind::Subscribe
                                                                              : RemoteRequest::Kind::Unsubscribe;
        return request(kind, -1, int(number));
    }

    const bool nudge = path.startsWith(QLatin1String("nudge/"));
    const bool reset = path.startsWith(QLatin1String("reset/"));
    const int slot = PC::slotByRemoteName(nudge || reset ? path.section(QLatin1Char('/'), 1) : path);
    if (slot < 0)
        return Refusal::UnknownAddress;
    const PC::Kind kind = PC::slot(slot).kind;
    const bool slider = kind == PC::Kind::Scaled || kind == PC::Kind::Nits;
    if (reset) {
        if (!slider)
            return Refusal::UnknownAddress;
        return count == 0 ? request(RemoteRequest::Kind::Reset, slot) : Result(Refusal::BadArguments);
    }
    if (!oneNumber())
        return Refusal::BadArguments;
    if (nudge) {
        if (!slider)
            return Refusal::UnknownAddress;
        const double delta = std::round(PC::positionOf(slot, message.numbers[0]));
        if (std::fabs(delta) > 1e9)
            return Refusal::OutOfRange;
        return request(RemoteRequest::Kind::Nudge, slot, int(delta));
    }
    return setParameter(slot, message.numbers[0]);
}

bool OscRouter::decode(const QByteArray &bytes, Message &message)
{
    QByteArray data = bytes; // liblo takes a non-const buffer
    const char *path = lo_get_path(data.data(), data.size());
    if (!path)
        return false;
    int result = 0;
    lo_message decoded = lo_message_deserialise(data.data(), size_t(data.size()), &result);
    if (!decoded || result != 0) {
        if (decoded)
            lo_message_free(decoded);
        return false;
    }
    message.path = QByteArray(path);
    const char *types = lo_message_get_types(decoded);
    message.types = QByteArray(types ? types : "");
    message.numbers.clear();
    message.texts.clear();
    lo_arg **argv = lo_message_get_argv(decoded);
    // liblo leaves each argument where the packet has it, four-byte aligned,
    // which its lo_arg type is not: values are copied out, never read in place.
    const auto copy = [&argv](int i, auto &value) { std::memcpy(&value, argv[i], sizeof value); };
    for (int i = 0; i < message.types.size(); ++i) {
        double number = std::numeric_limits<double>::quiet_NaN();
        QString text;
        switch (message.types[i]) {
        case LO_INT32: {
            int32_t value;
            copy(i, value);
            number = value;
            break;
        }
        case LO_INT64: {
            int64_t value;
            copy(i, value);
            number = double(value);
            break;
        }
        case LO_FLOAT: {
            float value;
            copy(i, value);
            number = double(value);
            break;
        }
        case LO_DOUBLE: copy(i, number); break;
        case LO_TRUE: number = 1; break;
        case LO_FALSE: number = 0; break;
        case LO_STRING:
        case LO_SYMBOL: text = QString::fromUtf8(reinterpret_cast<const char *>(argv[i])); break;
        default: break;
        }
        message.numbers << number;
        message.texts << text;
    }
    lo_message_free(decoded);
    return true;
}

QByteArray OscRouter::address(int slot)
{
    return QByteArray(Root) + '/' + PC::slot(slot).remoteName;
}

double OscRouter::remoteValue(int slot, int value)
{
    const PC::SlotInfo &info = PC::slot(slot);
    switch (info.kind) {
    case PC::Kind::Choice:
        return value >= 0 && value < info.choiceCount ? info.choices[value].value : 0;
    case PC::Kind::Scaled:
    case PC::Kind::Nits:
        return PC::displayValue(slot, value);
    default:
        return value;
    }
}

QString OscRouter::help()
{
    QString text = QStringLiteral(
        "OSC addresses (UDP; numbers as int32, float, double or int64):\n\n"
        "  /prismolink/NAME VALUE        set a parameter (below)\n"
        "  /prismolink/nudge/NAME DELTA  add DELTA to a slider\n"
        "  /prismolink/reset/NAME        a slider back to its reset value\n"
        "  /prismolink/reset             every slider back (the reset button)\n"
        "  /prismolink/channel N         0: 4K/UHD, 1 to 4: Video 1 to 4\n"
        "  /prismolink/unit S            make the unit with host name or address S current\n"
        "  /prismolink/look/recall S     recall the look file named S\n"
        "  /prismolink/undo, /prismolink/redo\n"
        "  /prismolink/ab/store/a, /prismolink/ab/store/b, /prismolink/ab/toggle\n"
        "  /prismolink/gang/match        every ganged unit takes the current channel's values\n"
        "  /prismolink/subscribe PORT    send changes to the sender, port PORT (send it again\n"
        "                                within a minute to stay subscribed)\n"
        "  /prismolink/unsubscribe PORT\n\n"
        "Parameters (NAME, values):\n\n");
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        const PC::SlotInfo &info = PC::slot(slot);
        if (!info.remoteName)
            continue;
        QString values;
        switch (info.kind) {
        case PC::Kind::Scaled:
            values = QStringLiteral("%1 to %2").arg(info.minimum / 1000.0, 0, 'f', 3).arg(info.maximum / 1000.0, 0, 'f', 3);
            break;
        case PC::Kind::Nits:
            values = QStringLiteral("%1 to %2 nits").arg(info.minimum).arg(info.maximum);
            break;
        case PC::Kind::Switch:
            values = QStringLiteral("0 or 1");
            break;
        case PC::Kind::Choice: {
            QStringList numbers;
            for (int row = 0; row < info.choiceCount; ++row)
                numbers << QString::number(info.choices[row].value);
            values = numbers.join(QLatin1Char(' '));
            break;
        }
        case PC::Kind::Unbound:
            break;
        }
        text += QStringLiteral("  %1 %2\n").arg(QString::fromLatin1(info.remoteName).leftJustified(14), values);
    }
    return text;
}
