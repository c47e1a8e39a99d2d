#pragma once

#include <QtGlobal>

// The TCP ports the program talks to: every unit's HTTP parameter interface
// and the Tangent Hub on 127.0.0.1. Read once at start-up and handed to what
// connects.
struct Ports
{
    static constexpr quint16 DefaultDevicePort = 80;
    static constexpr quint16 DefaultHubPort = 64246;

    quint16 device = DefaultDevicePort;
    quint16 hub = DefaultHubPort;

    // PRISMOLINK_DEVICE_PORT and PRISMOLINK_HUB_PORT, where they hold a port
    // number from 1 to 65535 (for simulated units and hub); else the defaults.
    static Ports fromEnvironment();
};
