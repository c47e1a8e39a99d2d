#include "devicedirectory.h"

int DeviceDirectory::currentIndex() const
{
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        if (m_entries[i].current)
            return i;
    }
    return -1;
}

// The gang in list order, then the names the list lacks in the order they came.
QStringList DeviceDirectory::gangNames() const
{
    QStringList names;
    for (const DeviceEntry &entry : m_entries) {
        if (entry.ganged && !names.contains(entry.hostName))
            names << entry.hostName;
    }
    for (const QString &name : m_gangNames) {
        if (!names.contains(name))
            names << name;
    }
    return names;
}

QList<DeviceEntry> DeviceDirectory::gangedEntries() const
{
    QList<DeviceEntry> ganged;
    for (const DeviceEntry &entry : m_entries) {
        if (entry.ganged)
            ganged << entry;
    }
    return ganged;
}

void DeviceDirectory::setSavedGang(const QStringList &hostNames)
{
    m_gangNames = hostNames;
    applyMarks();
}

void DeviceDirectory::setEntries(const QList<DeviceEntry> &entries, const QString &currentAddress)
{
    m_entries = entries;
    setCurrentAddress(currentAddress);
}

void DeviceDirectory::setCurrentAddress(const QString &currentAddress)
{
    for (DeviceEntry &entry : m_entries)
        entry.current = !currentAddress.isEmpty() && entry.ipAddress == currentAddress;
    applyMarks();
}

void DeviceDirectory::applyGangChoices(const QList<DeviceEntry> &edited)
{
    for (const DeviceEntry &choice : edited) {
        if (choice.current)
            continue; // not offered
        m_gangNames.removeAll(choice.hostName);
        if (choice.ganged)
            m_gangNames << choice.hostName;
    }
    applyMarks();
}

void DeviceDirectory::applyMarks()
{
    for (const DeviceEntry &entry : qAsConst(m_entries)) {
        if (entry.current)
            m_gangNames.removeAll(entry.hostName);
    }
    for (DeviceEntry &entry : m_entries)
        entry.ganged = !entry.current && m_gangNames.contains(entry.hostName);
}
