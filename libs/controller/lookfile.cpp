#include "lookfile.h"
#include "regularfile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSaveFile>

#include <climits>
#include <cmath>
#include <optional>

using PC = ParameterCatalogue;

const char LookFile::Format[] = "Prismolink look";

QString LookFile::parameterKey(int slot)
{
    return QString::fromLatin1(PC::slot(slot).suffix);
}

namespace {
// A value as the file holds it (the unit's own number) as the look's value,
// or nothing when the units do not take it.
std::optional<int> valueOf(int slot, const QJsonValue &stored)
{
    const double number = stored.toDouble(0.5);
    if (!stored.isDouble() || !(number >= INT_MIN && number <= INT_MAX) || number != std::floor(number))
        return std::nullopt;
    const int wire = int(number);
    const PC::SlotInfo &info = PC::slot(slot);
    if (info.kind == PC::Kind::Switch)
        return wire == 0 || wire == 1 ? std::optional<int>(wire) : std::nullopt;
    const std::optional<int> value = PC::fromWire(slot, QByteArray::number(wire));
    return value && *value >= info.minimum && *value <= info.maximum ? value : std::nullopt;
}
} // namespace

QByteArray LookFile::write(const Contents &contents)
{
    QJsonObject parameters;
    for (int slot : PC::passOrder())
        parameters.insert(parameterKey(slot), PC::wireText(slot, contents.look.values[std::size_t(slot)]).toInt());
    QJsonObject root;
    root.insert(QStringLiteral("format"), QLatin1String(Format));
    root.insert(QStringLiteral("version"), Version);
    root.insert(QStringLiteral("program"), contents.program);
    root.insert(QStringLiteral("unit"), contents.unit);
    root.insert(QStringLiteral("channel"), contents.channel);
    root.insert(QStringLiteral("parameters"), parameters);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool LookFile::read(const QByteArray &bytes, Contents &contents, QString &error)
{
    if (bytes.size() > LargestFile) {
        error = QStringLiteral("The file is too large to be a look.");
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        error = QStringLiteral("The file is damaged: it is not a look (%1).").arg(parseError.errorString());
        return false;
    }
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(Format)) {
        error = QStringLiteral("The file is not a Prismolink look.");
        return false;
    }
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != version.toInt()) {
        error = QStringLiteral("The file is damaged: its format version is missing.");
        return false;
    }
    if (version.toInt() > Version) {
        error = QStringLiteral("The look was saved by a newer Prismolink (format version %1; this one reads up to %2).")
                    .arg(version.toInt())
                    .arg(Version);
        return false;
    }
    const QJsonValue channel = root.value(QStringLiteral("channel"));
    const QJsonValue parametersValue = root.value(QStringLiteral("parameters"));
    if (!channel.isDouble() || !parametersValue.isObject()) {
        error = QStringLiteral("The file is damaged: its channel or parameters are missing.");
        return false;
    }
    const QJsonObject parameters = parametersValue.toObject();
    Contents read;
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        int slot = -1;
        for (int candidate : PC::passOrder())
            if (parameterKey(candidate) == it.key())
                slot = candidate;
        if (slot < 0) {
            error = QStringLiteral("The look holds a parameter this program does not know: %1.").arg(it.key());
            return false;
        }
        const std::optional<int> value = valueOf(slot, it.value());
        if (!value) {
            error = QStringLiteral("The look's value of %1 is not one the units take.").arg(it.key());
            return false;
        }
        read.look.values[std::size_t(slot)] = *value;
    }
    for (int slot : PC::passOrder()) {
        if (!parameters.contains(parameterKey(slot))) {
            error = QStringLiteral("The look lacks the parameter %1.").arg(parameterKey(slot));
            return false;
        }
    }
    read.program = root.value(QStringLiteral("program")).toString();
    read.unit = root.value(QStringLiteral("unit")).toString();
    read.channel = channel.toInt();
    contents = read;
    return true;
}

bool LookFile::load(const QString &path, Contents &contents, QString &error)
{
    QByteArray bytes;
    return RegularFile::read(path, LargestFile, bytes, error) && read(bytes, contents, error);
}

bool LookFile::save(const QString &path, const Contents &contents, QString &error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(write(contents)) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
