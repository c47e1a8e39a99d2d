#pragma once

#include "midimapping.h"

#include <QString>
#include <QVector>

// A controller's mappings, as one mapping file holds them.
struct MidiMap
{
    // Which controllers are connected: a name to be found in a port's name
    // (any case), or a pattern of the whole name with * and ? (any case).
    // Empty: none; the program's ports wait to be connected by hand.
    QString controller;
    QVector<MidiMapping> mappings;

    // The controllers whose controls a mapping reads: its own and, for a
    // 14-bit pair, the low half's (both on the same channel).
    static bool overlap(const MidiMapping &a, const MidiMapping &b);
    // Whether a port of this name is the map's controller.
    static bool matches(const QString &pattern, const QString &portName);

    bool operator==(const MidiMap &other) const
    {
        return controller == other.controller && mappings == other.mappings;
    }
};
