#pragma once

#include <QString>

// One service a unit knows of on the network: its kind, host name and address.
struct ServiceEntry
{
    QString deviceName;
    QString hostName;
    QString ipAddress;
};
