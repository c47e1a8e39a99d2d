#include "unitconfig.h"

#include "networkservices.h"

#include <QHostAddress>
#include <QJsonValue>
#include <QStringList>

UnitConfig UnitConfig::numbered(int number)
{
    UnitConfig unit;
    unit.systemName = QStringLiteral("Prismo %1").arg(number);
    unit.hostName = QStringLiteral("prismo-%1").arg(number);
    // Past 127.0.0.255 the numbering goes on in 127.0.1.x: a rig of hundreds of units.
    const int host = 10 + number;
    unit.address = QStringLiteral("127.0.%1.%2").arg(host / 256).arg(host % 256);
    unit.softwareVersion = *parseVersion(QStringLiteral("1.4.2.7"));
    return unit;
}

std::optional<quint32> UnitConfig::parseVersion(const QString &text)
{
    const QStringList fields = text.trimmed().split(QLatin1Char('.'));
    bool ok = false;
    if (fields.size() == 1) {
        const quint32 packed = fields.at(0).toUInt(&ok, 10);
        return ok ? std::optional<quint32>(packed) : std::nullopt;
    }
    if (fields.size() != 4)
        return std::nullopt;
    quint32 packed = 0;
    for (const QString &field : fields) {
        const uint value = field.toUInt(&ok, 10);
        if (!ok || value > 255)
            return std::nullopt;
        packed = (packed << 8) | value;
    }
    return packed;
}

QString UnitConfig::versionText(quint32 packed)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(packed >> 24)
        .arg((packed >> 16) & 0xFF)
        .arg((packed >> 8) & 0xFF)
        .arg(packed & 0xFF);
}

bool UnitConfig::applyValue(const QString &key, const QString &value, QString *error)
{
    if (key == QLatin1String("name")) {
        systemName = value;
    } else if (key == QLatin1String("host")) {
        hostName = value;
    } else if (key == QLatin1String("address")) {
        const QHostAddress parsed(value);
        if (parsed.protocol() != QAbstractSocket::IPv4Protocol) {
            *error = QStringLiteral("\"%1\" is not an IPv4 address").arg(value);
            return false;
        }
        address = parsed.toString();
    } else if (key == QLatin1String("mode")) {
        bool ok = false;
        channelMode = value.toInt(&ok, 10);
        if (!ok) {
            *error = QStringLiteral("mode must be 1 (four channels) or 2 (4K/UHD), not \"%1\"").arg(value);
            return false;
        }
    } else if (key == QLatin1String("version")) {
        const std::optional<quint32> packed = parseVersion(value);
        if (!packed) {
            *error =
                QStringLiteral("version must be four numbers 0..255 like 1.4.2.7, or the packed number, not \"%1\"")
                    .arg(value);
            return false;
        }
        softwareVersion = *packed;
    } else if (key == QLatin1String("product")) {
        productId = value.toUtf8();
    } else if (key == QLatin1String("faults")) {
        return faults.apply(value, error);
    } else {
        *error = QStringLiteral("unknown unit setting \"%1\"").arg(key);
        return false;
    }
    return true;
}

bool UnitConfig::applyText(const QString &text, QString *error)
{
    const QStringList pairs = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &pair : pairs) {
        const int equals = pair.indexOf(QLatin1Char('='));
        const QString key = pair.left(equals).trimmed();
        if (equals < 0 || key == QLatin1String("faults")) {
            *error = QStringLiteral("\"%1\" is not one of name=, host=, address=, mode=, version=, product=").arg(pair);
            return false;
        }
        if (!applyValue(key, pair.mid(equals + 1).trimmed(), error))
            return false;
    }
    return true;
}

bool UnitConfig::applyJson(const QJsonObject &object, QString *error)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue value = it.value();
        QString text;
        if (value.isString())
            text = value.toString();
        else if (value.isDouble() && value.toDouble() >= 0 && value.toDouble() <= 4294967295.0 &&
                 value.toDouble() == static_cast<double>(static_cast<qint64>(value.toDouble())))
            text = QString::number(static_cast<qint64>(value.toDouble()));
        else {
            *error = QStringLiteral("unit setting \"%1\" must be a text or a whole number").arg(it.key());
            return false;
        }
        if (!applyValue(it.key(), text, error))
            return false;
    }
    return true;
}

bool UnitConfig::validate(QString *error) const
{
    if (systemName.isEmpty() || hostName.isEmpty() || address.isEmpty()) {
        *error = QStringLiteral("a unit needs a name, a host name and an address");
        return false;
    }
    if (!NetworkServices::isCarriable(systemName) || !NetworkServices::isCarriable(hostName)) {
        *error = QStringLiteral("unit \"%1\": names must not hold quotes, backslashes, square brackets or control "
                                "characters")
                     .arg(hostName);
        return false;
    }
    if (channelMode != 1 && channelMode != 2) {
        *error = QStringLiteral("unit \"%1\": mode must be 1 (four channels) or 2 (4K/UHD)").arg(hostName);
        return false;
    }
    if (productId.isEmpty()) {
        *error = QStringLiteral("unit \"%1\": the product identifier must not be empty").arg(hostName);
        return false;
    }
    return true;
}
