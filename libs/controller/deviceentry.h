#pragma once

#include <QString>

// One unit that discovery found, with the marks of the gang.
struct DeviceEntry
{
    QString deviceName;
    QString hostName;  // as the unit reports it, trailing blank included
    QString ipAddress; // simplified
    bool ganged = false;
    bool current = false;
};
