#pragma once

#include <QHashFunctions>
#include <QString>

// Where a value belongs and a request is aimed: one channel of one unit.
// Every request carries the place it was made for, so nothing of one
// channel or unit ever reaches another.
struct Target
{
    QString unit; // the unit's address
    int channel = 0;

    bool isValid() const { return !unit.isEmpty(); }
    // The key of the place's history and A/B memories.
    QString key() const { return unit + QLatin1Char('/') + QString::number(channel); }

    bool operator==(const Target &other) const { return channel == other.channel && unit == other.unit; }
    bool operator!=(const Target &other) const { return !(*this == other); }
};
