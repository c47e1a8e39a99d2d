#pragma once

#include "deviceentry.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The list of units in a unit's network-services reply. The reply carries
// the list as escaped JSON text inside the member "value"; rewriting turns
// it into a JSON array whose keys and strings each end in a blank.
class DiscoveryReply
{
public:
    // "Prismo ": the kind of a controlled unit as the rewritten list has it.
    static QString prismoKind();

    static QByteArray rewrite(const QByteArray &body);

    // Parses a reply. Returns false when it is not JSON after rewriting; the
    // error text and offset then say why. Otherwise entries holds the units
    // of the controlled kind in reply order, both marks cleared.
    bool parse(const QByteArray &body);

    QList<DeviceEntry> entries;
    QByteArray rewritten;
    QString errorText;
    int errorOffset = 0;
};
