#include "rigconfig.h"

#include "networkservices.h"
#include "unitidentity.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

RigConfig RigConfig::defaultRig()
{
    RigConfig rig;
    UnitConfig a = UnitConfig::numbered(1);
    a.systemName = QStringLiteral("Prismo Grade A");
    a.hostName = QStringLiteral("prismo-grade-a");
    UnitConfig b = UnitConfig::numbered(2);
    b.systemName = QStringLiteral("Prismo Grade B");
    b.hostName = QStringLiteral("prismo-grade-b");
    UnitConfig uhd = UnitConfig::numbered(3);
    uhd.systemName = QStringLiteral("Prismo UHD");
    uhd.hostName = QStringLiteral("prismo-uhd");
    uhd.channelMode = 2;
    uhd.softwareVersion = *UnitConfig::parseVersion(QStringLiteral("1.5.0.3"));
    rig.units = {a, b, uhd};
    rig.otherServices = {defaultOtherService()};
    return rig;
}

ServiceEntry RigConfig::defaultOtherService()
{
    return {QStringLiteral("Recorder"), QStringLiteral("recorder-1"), QStringLiteral("127.0.0.30")};
}

bool RigConfig::fromJson(const QByteArray &json, RigConfig &rig, QString *error)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error =
            parseError.error != QJsonParseError::NoError
                ? QStringLiteral("not valid JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset)
                : QStringLiteral("the file must hold one JSON object");
        return false;
    }
    const QJsonObject top = document.object();
    for (auto it = top.begin(); it != top.end(); ++it) {
        if (it.key() != QLatin1String("units") && it.key() != QLatin1String("otherServices")) {
            *error = QStringLiteral("unknown member \"%1\" (expected \"units\" and \"otherServices\")").arg(it.key());
            return false;
        }
    }
    RigConfig result;
    const QJsonArray units = top.value(QStringLiteral("units")).toArray();
    for (int i = 0; i < units.size(); ++i) {
        UnitConfig unit = UnitConfig::numbered(i + 1);
        if (!units.at(i).isObject()) {
            *error = QStringLiteral("unit %1 is not a JSON object").arg(i + 1);
            return false;
        }
        if (!unit.applyJson(units.at(i).toObject(), error)) {
            *error = QStringLiteral("unit %1: %2").arg(i + 1).arg(*error);
            return false;
        }
        result.units.append(unit);
    }
    if (!top.contains(QStringLiteral("otherServices")))
        result.otherServices = {defaultOtherService()};
    const QJsonArray others = top.value(QStringLiteral("otherServices")).toArray();
    for (const QJsonValue &value : others) {
        const QJsonObject other = value.toObject();
        result.otherServices.append({other.value(QStringLiteral("kind")).toString(),
                                     other.value(QStringLiteral("host")).toString(),
                                     other.value(QStringLiteral("address")).toString()});
    }
    if (!result.validate(error))
        return false;
    rig = result;
    return true;
}

bool RigConfig::validate(QString *error) const
{
    if (units.isEmpty()) {
        *error = QStringLiteral("the rig has no units");
        return false;
    }
    QSet<QString> addresses;
    QSet<QString> hostNames;
    for (const UnitConfig &unit : units) {
        if (!unit.validate(error))
            return false;
        if (addresses.contains(unit.address) || hostNames.contains(unit.hostName)) {
            *error =
                QStringLiteral("two units share the address %1 or the host name %2").arg(unit.address, unit.hostName);
            return false;
        }
        addresses.insert(unit.address);
        hostNames.insert(unit.hostName);
    }
    for (const ServiceEntry &other : otherServices) {
        if (other.deviceName.isEmpty() || !NetworkServices::isCarriable(other.deviceName) ||
            !NetworkServices::isCarriable(other.hostName) || !NetworkServices::isCarriable(other.ipAddress)) {
            *error = QStringLiteral("other service \"%1\": it needs a kind, and its texts must not hold quotes, "
                                    "backslashes, square brackets or control characters")
                         .arg(other.hostName);
            return false;
        }
    }
    // The program reads a network-services list of up to this many bytes.
    const qint64 largest = qint64(UnitIdentity::LongestServicesReply);
    const int replySize = NetworkServices::jsonReply(services()).size();
    if (replySize > largest) {
        *error = QStringLiteral("the network-services reply would be %1 bytes, more than the %2 a unit may send; use "
                                "fewer units or shorter names")
                     .arg(replySize)
                     .arg(largest);
        return false;
    }
    return true;
}

QVector<ServiceEntry> RigConfig::services() const
{
    QVector<ServiceEntry> list;
    for (const UnitConfig &unit : units)
        list.append({QString::fromLatin1(UnitIdentity::Kind), unit.hostName, unit.address});
    list += otherServices;
    return list;
}

int RigConfig::unitIndex(const QString &reference) const
{
    bool isNumber = false;
    const int number = reference.toInt(&isNumber, 10);
    if (isNumber)
        return number >= 1 && number <= units.size() ? number - 1 : -1;
    for (int i = 0; i < units.size(); ++i) {
        if (units.at(i).address == reference || units.at(i).hostName == reference)
            return i;
    }
    return -1;
}
