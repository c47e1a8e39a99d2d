#include "parameterstore.h"

#include "parametercatalogue.h"
#include "unitidentity.h"

#include <limits>

namespace {
QByteArray startText(int slot)
{
    const ParameterCatalogue::SlotInfo &info = ParameterCatalogue::slot(slot);
    return info.kind == ParameterCatalogue::Kind::Unbound ? QByteArray("0")
                                                          : ParameterCatalogue::wireText(slot, info.startPosition);
}
} // namespace

ParameterStore::ParameterStore(const UnitConfig &unit)
{
    for (int channel = 0; channel < ParameterCatalogue::ChannelCount; ++channel) {
        for (int slot = 0; slot < ParameterCatalogue::SlotCount; ++slot) {
            const QByteArray name = ParameterCatalogue::parameterName(channel, slot);
            m_values.insert(name, startText(slot));
            m_settable.insert(name);
        }
    }
    m_values.insert(UnitIdentity::ProductIdParameter, unit.productId);
    m_values.insert(UnitIdentity::SystemNameParameter, unit.systemName.toUtf8());
    m_values.insert(UnitIdentity::SoftwareVersionParameter, QByteArray::number(unit.softwareVersion));
    m_values.insert(UnitIdentity::ChannelModeParameter, QByteArray::number(unit.channelMode));
}

std::optional<QByteArray> ParameterStore::value(const QByteArray &name) const
{
    const auto it = m_values.constFind(name);
    return it == m_values.constEnd() ? std::nullopt : std::optional<QByteArray>(*it);
}

ParameterStore::SetResult ParameterStore::set(const QByteArray &name, const QByteArray &value)
{
    if (!m_values.contains(name))
        return SetResult::Unknown;
    if (!m_settable.contains(name))
        return SetResult::ReadOnly;
    if (!isDecimalInteger(value))
        return SetResult::BadValue;
    m_values.insert(name, value);
    return SetResult::Stored;
}

bool ParameterStore::setAtUnit(const QByteArray &name, const QByteArray &value)
{
    if (!m_values.contains(name))
        return false;
    m_values.insert(name, value);
    return true;
}

bool ParameterStore::isDecimalInteger(const QByteArray &text)
{
    const int digitsFrom = text.startsWith('-') ? 1 : 0;
    const int digits = text.size() - digitsFrom;
    if (digits < 1 || digits > 10)
        return false;
    for (int i = digitsFrom; i < text.size(); ++i) {
        if (text.at(i) < '0' || text.at(i) > '9')
            return false;
    }
    const qint64 number = text.toLongLong();
    return number >= std::numeric_limits<qint32>::min() && number <= std::numeric_limits<qint32>::max();
}
