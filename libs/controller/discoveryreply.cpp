#include "discoveryreply.h"

#include "unitidentity.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

QString DiscoveryReply::prismoKind()
{
    return QLatin1String(UnitIdentity::Kind) + QLatin1Char(' ');
}

QByteArray DiscoveryReply::rewrite(const QByteArray &body)
{
    QByteArray text = body;
    text.replace("\"[", "[");
    text.replace("]\"", "]");
    text.replace('\\', ' ');
    return text;
}

bool DiscoveryReply::parse(const QByteArray &body)
{
    entries.clear();
    rewritten = rewrite(body);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(rewritten, &error);
    if (error.error != QJsonParseError::NoError) {
        errorText = error.errorString();
        errorOffset = error.offset;
        return false;
    }
    const QJsonArray list = document.object().value(QStringLiteral("value")).toArray();
    for (const QJsonValue &element : list) {
        const QJsonObject unit = element.toObject();
        if (unit.value(QStringLiteral("device_name ")).toString() != prismoKind())
            continue;
        DeviceEntry entry;
        entry.deviceName = prismoKind();
        entry.hostName = unit.value(QStringLiteral("host_name ")).toString();
        entry.ipAddress = unit.value(QStringLiteral("ip_address ")).toString().simplified();
        entries.append(entry);
    }
    return true;
}
