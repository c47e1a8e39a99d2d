#include "parametercatalogue.h"

namespace {

using PC = ParameterCatalogue;

// A decimal integer, blanks around it allowed, within 32 bits.
std::optional<int> number(const QByteArray &reply)
{
    bool ok = false;
    const int value = reply.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A number of any count of digits, blanks around it allowed: a switch needs
// only to know whether it is zero.
std::optional<int> switchState(const QByteArray &reply)
{
    const QByteArray text = reply.trimmed();
    const int start = text.startsWith('+') || text.startsWith('-') ? 1 : 0;
    if (start == text.size())
        return std::nullopt;
    bool on = false;
    for (int i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        on = on || text[i] != '0';
    }
    return on ? 1 : 0;
}

// Every channel's row of names, from each parameter's suffix.
using NameRows = std::array<std::array<QByteArray, PC::SlotCount>, PC::ChannelCount>;

NameRows nameRows()
{
    NameRows names;
    for (int channel = 0; channel < PC::ChannelCount; ++channel) {
        for (const ParameterRow &row : ParameterTable::rows) {
            const QByteArray prefix = row.shared ? QByteArrayLiteral("eParamID_")
                                                 : QByteArrayLiteral("eParamID_Vid") + QByteArray::number(channel);
            names[std::size_t(channel)][std::size_t(row.slot)] = prefix + row.suffix;
        }
    }
    return names;
}

} // namespace

bool ParameterCatalogue::changeable(int slot, bool adjustOn)
{
    return adjustOn || ParameterCatalogue::slot(slot).window != WindowPlace::AdjustGroup;
}

int ParameterCatalogue::slotByRemoteName(const QString &name)
{
    for (const ParameterRow &row : ParameterTable::rows) {
        if (row.remoteName && name == QLatin1String(row.remoteName))
            return row.slot;
    }
    return -1;
}

int ParameterCatalogue::nameRow(int channel)
{
    return static_cast<unsigned>(channel) < static_cast<unsigned>(ChannelCount) ? channel : 0;
}

const char *ParameterCatalogue::parameterName(int channel, int slot)
{
    static const NameRows names = nameRows();
    return names[std::size_t(nameRow(channel))][std::size_t(slot)].constData();
}

QString ParameterCatalogue::channelName(int channel)
{
    return channel >= 0 && channel < ChannelCount ? QString::fromLatin1(ParameterTable::channelNames[channel]) : QString();
}

QStringList ParameterCatalogue::choiceNames(int slot)
{
    QStringList names;
    const SlotInfo &info = ParameterCatalogue::slot(slot);
    for (int row = 0; row < info.choiceCount; ++row)
        names << QString::fromLatin1(info.choices[row].name);
    return names;
}

QByteArray ParameterCatalogue::wireText(int slot, int value)
{
    const SlotInfo &info = ParameterCatalogue::slot(slot);
    switch (info.kind) {
    case Kind::Choice:
        return value >= 0 && value < info.choiceCount ? QByteArray::number(info.choices[value].value) : QByteArray();
    case Kind::Switch:
        return value ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    case Kind::Scaled:
    case Kind::Nits:
        return QByteArray::number(value);
    case Kind::Unbound:
        break;
    }
    return QByteArray();
}

std::optional<int> ParameterCatalogue::fromWire(int slot, const QByteArray &reply)
{
    const SlotInfo &info = ParameterCatalogue::slot(slot);
    switch (info.kind) {
    case Kind::Choice:
        if (const std::optional<int> value = number(reply)) {
            for (int row = 0; row < info.choiceCount; ++row) {
                if (info.choices[row].value == *value)
                    return row;
            }
        }
        return std::nullopt;
    case Kind::Switch:
        return switchState(reply);
    case Kind::Scaled:
    case Kind::Nits:
        return number(reply);
    case Kind::Unbound:
        break;
    }
    return std::nullopt;
}

QString ParameterCatalogue::labelText(int slot, int position)
{
    const double value = displayValue(slot, position);
    return ParameterCatalogue::slot(slot).kind == Kind::Nits ? QString::number(value, 'g', 6)
                                                             : QString::number(value, 'f', 3);
}

double ParameterCatalogue::displayValue(int slot, int position)
{
    return ParameterCatalogue::slot(slot).kind == Kind::Nits ? position : static_cast<float>(position) / 1000.0f;
}

double ParameterCatalogue::positionOf(int slot, double shown)
{
    return ParameterCatalogue::slot(slot).kind == Kind::Nits ? shown : shown * 1000.0;
}
