#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// What the program remembers between runs: the address in the address field
// and the host names of the ganged units.
class PrismoSettings
{
public:
    // A gang larger than this cannot come from a unit's list; a larger count
    // in the store is damage and is cut to it.
    static constexpr int MaxGangSize = 256;

    QString address;
    QStringList gangNames;

    void load(QSettings &store);
    // Writes the address unchanged and the host names of the gang.
    static void save(QSettings &store, const QString &address, const QStringList &gangNames);
};
