#pragma once

#include "serviceentry.h"
#include "unitconfig.h"

#include <QByteArray>
#include <QVector>

// The units of a simulated rig and the services of other kinds that the
// units list beside themselves.
class RigConfig
{
public:
    QVector<UnitConfig> units;
    QVector<ServiceEntry> otherServices;

    // Three units, the third in 4K/UHD mode, and one service of another kind.
    static RigConfig defaultRig();
    static ServiceEntry defaultOtherService();
    // Reads {"units": [...], "otherServices": [...]}; see the README.
    static bool fromJson(const QByteArray &json, RigConfig &rig, QString *error);

    bool validate(QString *error) const;
    // What every unit lists: the units in order, then the other services.
    QVector<ServiceEntry> services() const;
    // A unit by its number counted from 1, its address or its host name; -1 if none.
    int unitIndex(const QString &reference) const;
};
