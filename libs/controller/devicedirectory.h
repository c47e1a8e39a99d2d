#pragma once

#include "deviceentry.h"

#include <QList>
#include <QString>
#include <QStringList>

// The units the current unit knows of, in discovery order, with the marks of
// the gang, and the user's gang by host name. The gang outlives the list:
// names of ganged units that a list lacks (a discovery that failed, a unit
// that is away) stay in the gang, and are saved, until the user ungangs them.
// The current unit is never ganged; a unit that becomes current leaves the gang.
class DeviceDirectory
{
public:
    const QList<DeviceEntry> &entries() const { return m_entries; }
    int currentIndex() const;
    QStringList gangNames() const;
    QList<DeviceEntry> gangedEntries() const;

    // The gang read from the settings at start-up.
    void setSavedGang(const QStringList &hostNames);
    // A discovery's list replaces the old one; the entry with the current
    // address is marked current, the gang's units ganged.
    void setEntries(const QList<DeviceEntry> &entries, const QString &currentAddress);
    // Another unit is current (or none, with an empty address).
    void setCurrentAddress(const QString &currentAddress);
    // The gang dialog's choices, made on a copy of the list that may be older
    // than the list now: each unit it offered takes its mark.
    void applyGangChoices(const QList<DeviceEntry> &edited);

private:
    void applyMarks();

    QList<DeviceEntry> m_entries;
    QStringList m_gangNames;
};
