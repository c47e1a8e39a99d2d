#include "ports.h"

#include <QString>

std::optional<quint16> Ports::parse(const QString &text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok, 10);
    return ok && port > 0 && port < 65536 ? std::optional<quint16>(quint16(port)) : std::nullopt;
}

Ports Ports::fromEnvironment()
{
    Ports ports;
    ports.device = parse(qEnvironmentVariable("PRISMOLINK_DEVICE_PORT")).value_or(DefaultDevicePort);
    ports.hub = parse(qEnvironmentVariable("PRISMOLINK_HUB_PORT")).value_or(DefaultHubPort);
    return ports;
}
