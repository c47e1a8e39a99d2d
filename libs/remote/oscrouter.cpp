#include "oscrouter.h"

#include "osccommand.h"

#include "parametercatalogue.h"

#include <algorithm>
#include <cmath>

using PC = ParameterCatalogue;

namespace {

OscRouter::Result request(const OscCommand &command, int slot = -1, int value = 0, const QString &text = QString())
{
    RemoteRequest r;
    r.kind = command.kind;
    r.slot = slot;
    r.value = value;
    r.text = text;
    r.cost = command.cost;
    return r;
}

bool isWhole(double value, double lowest, double highest)
{
    return std::isfinite(value) && value == std::floor(value) && value >= lowest && value <= highest;
}

int clampedPosition(int slot, double shown)
{
    const PC::SlotInfo &info = PC::slot(slot);
    const double position = std::round(PC::positionOf(slot, shown));
    return int(qBound<double>(info.minimum, position, info.maximum));
}

// A number for a parameter's row: a value to set, or positions to add.
OscRouter::Result parameter(const OscCommand &command, int slot, double number)
{
    const PC::SlotInfo &info = PC::slot(slot);
    if (command.kind == RemoteRequest::Kind::Nudge) {
        const double delta = std::round(PC::positionOf(slot, number));
        if (std::fabs(delta) > 1e9)
            return OscRouter::Refusal::OutOfRange;
        return request(command, slot, int(delta));
    }
    switch (info.kind) {
    case PC::Kind::Scaled:
    case PC::Kind::Nits:
        return request(command, slot, clampedPosition(slot, number));
    case PC::Kind::Switch:
        return request(command, slot, number != 0 ? 1 : 0);
    case PC::Kind::Choice: {
        if (!isWhole(number, -1e9, 1e9))
            return OscRouter::Refusal::OutOfRange;
        const std::optional<int> row = PC::fromWire(slot, QByteArray::number(qint64(number)));
        if (!row)
            return OscRouter::Refusal::OutOfRange;
        return request(command, slot, *row);
    }
    case PC::Kind::Unbound:
        break;
    }
    return OscRouter::Refusal::UnknownAddress;
}

// The arguments of a message to a row's address, and the request they make.
OscRouter::Result withArguments(const OscCommand &command, int slot, const OscRouter::Message &message)
{
    using A = OscCommand::Arguments;
    const int count = message.types.size();
    const auto number = [&](int i) { return message.numbers.value(i); };
    if (count == 0 && command.queried) {
        OscRouter::Result query = request(command, slot);
        std::get<RemoteRequest>(query).query = true;
        std::get<RemoteRequest>(query).cost = OscCommand::QueryCost;
        return query;
    }
    switch (command.arguments) {
    case A::None:
        if (count == 0)
            return request(command, slot);
        break;
    case A::Number:
        if (count == 1 && std::isfinite(number(0)))
            return parameter(command, slot, number(0));
        break;
    case A::Text:
        if (count == 1 && message.types[0] == 's')
            return request(command, slot, 0, message.texts[0]);
        break;
    case A::Channel:
        if (count == 1 && std::isfinite(number(0)))
            return isWhole(number(0), 0, PC::ChannelCount - 1) ? request(command, slot, int(number(0)))
                                                               : OscRouter::Result(OscRouter::Refusal::OutOfRange);
        break;
    case A::Subscribe:
    case A::PortCookie: {
        const int least = command.arguments == A::Subscribe ? 0 : 2;
        if (count < least || count > 2 || !std::all_of(message.numbers.cbegin(), message.numbers.cend(), [](double n) {
                return std::isfinite(n);
            }))
            break;
        if ((count >= 1 && !isWhole(number(0), 1, 65535)) || (count == 2 && !isWhole(number(1), 0, OscRouter::LargestCookie)))
            return OscRouter::Refusal::OutOfRange;
        OscRouter::Result subscription = request(command, slot, count >= 1 ? int(number(0)) : 0);
        if (count == 2)
            std::get<RemoteRequest>(subscription).cookie = quint32(number(1));
        return subscription;
    }
    }
    return OscRouter::Refusal::BadArguments;
}

} // namespace

OscRouter::Result OscRouter::route(const Message &message)
{
    const QByteArray root = QByteArray(OscCommand::Root) + '/';
    if (!message.path.startsWith(root))
        return Refusal::UnknownAddress;
    const QString path = QString::fromUtf8(message.path.mid(root.size()));
    // An address of its own goes before a parameter's name.
    for (const OscCommand &command : OscCommand::table()) {
        if (command.names == OscCommand::Names::None && path == QLatin1String(command.path))
            return withArguments(command, -1, message);
    }
    for (const OscCommand &command : OscCommand::table()) {
        if (command.names == OscCommand::Names::None)
            continue;
        const QString prefix = QString::fromLatin1(command.path).chopped(int(sizeof "NAME") - 1);
        if (!path.startsWith(prefix))
            continue;
        const int slot = PC::slotByRemoteName(path.mid(prefix.size()));
        if (slot < 0)
            continue;
        const PC::Kind kind = PC::slot(slot).kind;
        if (command.names == OscCommand::Names::Sliders && kind != PC::Kind::Scaled && kind != PC::Kind::Nits)
            return Refusal::UnknownAddress;
        return withArguments(command, slot, message);
    }
    return Refusal::UnknownAddress;
}

QByteArray OscRouter::address(int slot)
{
    return QByteArray(OscCommand::Root) + '/' + PC::slot(slot).remoteName;
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
