#include "ports.h"

#include <QString>

namespace {
quint16 portFrom(const char *variable, quint16 fallback)
{
    bool ok = false;
    const int port = qEnvironmentVariable(variable).toInt(&ok, 10);
    return ok && port > 0 && port < 65536 ? quint16(port) : fallback;
}
} // namespace

Ports Ports::fromEnvironment()
{
    Ports ports;
    ports.device = portFrom("PRISMOLINK_DEVICE_PORT", DefaultDevicePort);
    ports.hub = portFrom("PRISMOLINK_HUB_PORT", DefaultHubPort);
    return ports;
}
