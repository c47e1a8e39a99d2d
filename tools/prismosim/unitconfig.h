#pragma once

#include "faultsettings.h"
#include "unitidentity.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// How one simulated unit presents itself: names, address, channel mode,
// software version, product identifier, and the faults it starts with.
struct UnitConfig
{
    QString systemName;
    QString hostName;
    QString address;
    int channelMode = 1; // 1: four channels, 2: one 4K/UHD channel
    quint32 softwareVersion = 0;
    QByteArray productId = UnitIdentity::ProductId;
    FaultSettings faults;

    // The defaults of the Nth unit of a rig, counted from 1: "Prismo N",
    // host "prismo-N", address 127.0.0.(10 + N), four channels.
    static UnitConfig numbered(int number);

    // Applies "key=value" pairs separated by commas: name, host, address,
    // mode, version (dotted as 1.2.3.4 or the packed number) and product.
    bool applyText(const QString &text, QString *error);
    // Applies the same keys from a JSON object, plus "faults" in the form
    // FaultSettings reads. Unknown keys are refused, so typing errors show.
    bool applyJson(const QJsonObject &object, QString *error);
    bool validate(QString *error) const;

    // Four 8-bit fields, most significant first.
    static std::optional<quint32> parseVersion(const QString &text);
    static QString versionText(quint32 packed);

private:
    bool applyValue(const QString &key, const QString &value, QString *error);
};
