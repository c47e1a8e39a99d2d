#include "networkservices.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray NetworkServices::listText(const QVector<ServiceEntry> &services)
{
    QJsonArray list;
    for (const ServiceEntry &service : services) {
        list.append(QJsonObject{{QStringLiteral("device_name"), service.deviceName},
                                {QStringLiteral("host_name"), service.hostName},
                                {QStringLiteral("ip_address"), service.ipAddress}});
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

QByteArray NetworkServices::jsonReply(const QVector<ServiceEntry> &services)
{
    const QJsonObject reply{{QStringLiteral("value"), QString::fromUtf8(listText(services))}};
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

bool NetworkServices::isCarriable(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QLatin1Char('"') || c == QLatin1Char('\\') ||
            c == QLatin1Char('[') || c == QLatin1Char(']'))
            return false;
    }
    return true;
}
