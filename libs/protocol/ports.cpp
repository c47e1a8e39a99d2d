#include "ports.h"

#include <QString>

std::optional<quint16> Ports::parse(const QString &text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok, 10);
    return ok && port > 0 && port < 65536 ? std::optional<quint16>(quint16(port)) : std::nullopt;
}
