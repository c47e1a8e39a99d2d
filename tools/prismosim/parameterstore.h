#pragma once

#include "unitconfig.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

#include <optional>

// The parameters of one unit as text: every parameter the program controls,
// on all five channels, starting at the positions the window starts at, and
// the read-only identity of the unit.
class ParameterStore
{
public:
    enum class SetResult { Stored, Unknown, ReadOnly, BadValue };

    explicit ParameterStore(const UnitConfig &unit);

    std::optional<QByteArray> value(const QByteArray &name) const;
    // A set that arrives over the network: only the controlled parameters
    // take one, and only as a decimal integer, the only values they hold.
    SetResult set(const QByteArray &name, const QByteArray &value);
    // A change made at the unit itself: any known parameter, any text, so
    // that a unit can be made to report odd values.
    bool setAtUnit(const QByteArray &name, const QByteArray &value);
    bool isSettable(const QByteArray &name) const { return m_settable.contains(name); }
    QList<QByteArray> names() const { return m_values.keys(); }

    // Optional minus sign and up to ten digits within the 32-bit range.
    static bool isDecimalInteger(const QByteArray &text);

private:
    QHash<QByteArray, QByteArray> m_values;
    QSet<QByteArray> m_settable;
};
