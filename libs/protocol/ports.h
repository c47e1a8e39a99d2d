#pragma once

#include <QtGlobal>

#include <optional>

class QString;

// The TCP ports the program talks to: every unit's HTTP parameter interface
// and the Tangent Hub on 127.0.0.1. The programs' mains read them from the
// environment once and hand them to what connects.
struct Ports
{
    static constexpr quint16 DefaultDevicePort = 80;
    static constexpr quint16 DefaultHubPort = 64246;
    // The UDP port remote control over OSC listens on unless told otherwise.
    // Not used by common show-control tools (QLab 53000, TouchOSC 8000/9000,
    // Companion 12321, Eos 3032 and 8000, X32 10023, SuperCollider 57110).
    static constexpr quint16 DefaultOscPort = 49370;

    quint16 device = DefaultDevicePort;
    quint16 hub = DefaultHubPort;

    // The environment variables that set them for simulated units and hub.
    static constexpr char DevicePortVariable[] = "PRISMOLINK_DEVICE_PORT";
    static constexpr char HubPortVariable[] = "PRISMOLINK_HUB_PORT";
    // A decimal port number from 1 to 65535 (blanks around it allowed), or nothing.
    static std::optional<quint16> parse(const QString &text);
};
