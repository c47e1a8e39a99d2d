#pragma once

#include "serviceentry.h"

#include <QByteArray>
#include <QVector>

// The network-services parameter: the list of services a unit knows of,
// as a JSON array whose text the json reply carries escaped inside the
// string member "value".
class NetworkServices
{
public:
    // The JSON array text, the parameter's value.
    static QByteArray listText(const QVector<ServiceEntry> &services);
    // The body of a read with alt=json: {"value":"<the array text, escaped>"}.
    static QByteArray jsonReply(const QVector<ServiceEntry> &services);
    // Whether a name can travel in the list. The program reads the reply by
    // turning the escaped quotes into plain ones with a blank before them,
    // so a name must hold no quote, backslash, square bracket or control
    // character, or the list it arrives in no longer parses.
    static bool isCarriable(const QString &name);
};
