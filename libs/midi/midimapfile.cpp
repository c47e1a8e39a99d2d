#include "midimapfile.h"

#include "regularfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

using Mode = MidiEncoding::Mode;
using Size = MidiIntent::Size;

namespace {
const char *const stepNames[] = {"normal", "fine", "coarse"};

bool integer(const QJsonValue &value, int lowest, int highest, int &out)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < lowest || number > highest)
        return false;
    out = int(number);
    return true;
}

// One mapping's object; an empty text when it is sound.
QString readMapping(const QJsonObject &object, MidiMapping &mapping)
{
    static const QStringList keys = {QStringLiteral("channel"), QStringLiteral("cc"),     QStringLiteral("note"),
                                     QStringLiteral("parameter"), QStringLiteral("mode"), QStringLiteral("step"),
                                     QStringLiteral("pickup"),  QStringLiteral("feedback")};
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!keys.contains(it.key()))
            return QStringLiteral("unknown key \"%1\"").arg(it.key().left(40));
    }
    if (object.contains(QLatin1String("channel")) && !integer(object.value(QLatin1String("channel")), 1, 16, mapping.channel))
        return QStringLiteral("\"channel\" must be a whole number from 1 to 16");
    const bool cc = object.contains(QLatin1String("cc"));
    mapping.note = object.contains(QLatin1String("note"));
    if (cc == mapping.note)
        return QStringLiteral("give either \"cc\" or \"note\"");
    if (!integer(object.value(QLatin1String(cc ? "cc" : "note")), 0, 127, mapping.number))
        return QStringLiteral("\"%1\" must be a whole number from 0 to 127").arg(QLatin1String(cc ? "cc" : "note"));

    const QJsonValue parameter = object.value(QLatin1String("parameter"));
    if (!parameter.isString())
        return QStringLiteral("\"parameter\" must name a parameter or a command");
    if (!mapping.setTarget(parameter.toString()))
        return QStringLiteral("unknown parameter \"%1\"").arg(parameter.toString().left(40));

    mapping.mode = mapping.note ? Mode::Note : Mode::Absolute;
    if (object.contains(QLatin1String("mode"))) {
        const std::optional<Mode> mode = MidiEncoding::byName(object.value(QLatin1String("mode")).toString());
        if (!mode)
            return QStringLiteral("unknown \"mode\"");
        mapping.mode = *mode;
    }
    if (mapping.note != (mapping.mode == Mode::Note))
        return mapping.note ? QStringLiteral("a note takes mode \"note\"")
                            : QStringLiteral("mode \"note\" takes a \"note\" instead of a \"cc\"");
    if (mapping.mode == Mode::Absolute14 && mapping.number > 31)
        return QStringLiteral("an absolute14 pair starts on a cc from 0 to 31 (the low half is on cc + 32)");
    if (mapping.slot < 0 && !MidiEncoding::isPress(mapping.mode))
        return QStringLiteral("a command takes mode \"button\" or \"note\"");

    if (object.contains(QLatin1String("step"))) {
        const QString step = object.value(QLatin1String("step")).toString();
        int found = -1;
        for (int i = 0; i < 3; ++i) {
            if (step == QLatin1String(stepNames[i]))
                found = i;
        }
        if (found < 0)
            return QStringLiteral("\"step\" must be \"normal\", \"fine\" or \"coarse\"");
        mapping.step = Size(found);
    }
    for (const char *key : {"pickup", "feedback"}) {
        if (!object.contains(QLatin1String(key)))
            continue;
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isBool())
            return QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key));
        (qstrcmp(key, "pickup") == 0 ? mapping.pickup : mapping.feedback) = value.toBool();
    }
    return QString();
}
} // namespace

bool MidiMapFile::read(const QByteArray &bytes, MidiMap &map, QString &error)
{
    if (bytes.size() > LargestFile) {
        error = QStringLiteral("the file is larger than %1 KiB").arg(LargestFile / 1024);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        error = parseError.error != QJsonParseError::NoError
                    ? QStringLiteral("not a mapping file (%1 at byte %2)").arg(parseError.errorString()).arg(parseError.offset)
                    : QStringLiteral("not a mapping file");
        return false;
    }
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != QLatin1String("version") && it.key() != QLatin1String("controller")
            && it.key() != QLatin1String("mappings")) {
            error = QStringLiteral("unknown key \"%1\"").arg(it.key().left(40));
            return false;
        }
    }
    const QJsonValue version = root.value(QLatin1String("version"));
    int number = 0;
    if (!integer(version, 1, 1 << 30, number)) {
        error = QStringLiteral("no \"version\" (1); not a mapping file");
        return false;
    }
    if (number > Version) {
        error = QStringLiteral("version %1 is newer than this program reads (%2)").arg(number).arg(Version);
        return false;
    }
    MidiMap read;
    const QJsonValue controller = root.value(QLatin1String("controller"));
    if (!controller.isUndefined() && (!controller.isString() || controller.toString().size() > LongestPattern)) {
        error = QStringLiteral("\"controller\" must be a text of up to %1 characters").arg(LongestPattern);
        return false;
    }
    read.controller = controller.toString();
    const QJsonValue mappings = root.value(QLatin1String("mappings"));
    if (!mappings.isArray()) {
        error = QStringLiteral("no list of \"mappings\"");
        return false;
    }
    const QJsonArray list = mappings.toArray();
    if (list.size() > MostMappings) {
        error = QStringLiteral("more than %1 mappings").arg(MostMappings);
        return false;
    }
    for (int i = 0; i < list.size(); ++i) {
        MidiMapping mapping;
        QString fault = list[i].isObject() ? readMapping(list[i].toObject(), mapping)
                                           : QStringLiteral("not an object");
        for (int j = 0; fault.isEmpty() && j < read.mappings.size(); ++j) {
            if (MidiMap::overlap(read.mappings[j], mapping))
                fault = QStringLiteral("its control is mapping %1's already").arg(j + 1);
        }
        if (!fault.isEmpty()) {
            error = QStringLiteral("mapping %1: %2").arg(i + 1).arg(fault);
            return false;
        }
        read.mappings.append(mapping);
    }
    map = read;
    return true;
}

QByteArray MidiMapFile::write(const MidiMap &map)
{
    QJsonArray list;
    for (const MidiMapping &m : map.mappings) {
        QJsonObject object;
        object.insert(QLatin1String("channel"), m.channel);
        object.insert(QLatin1String(m.note ? "note" : "cc"), m.number);
        object.insert(QLatin1String("parameter"), m.parameter);
        object.insert(QLatin1String("mode"), MidiEncoding::name(m.mode));
        if (m.step != Size::Normal)
            object.insert(QLatin1String("step"), QLatin1String(stepNames[int(m.step)]));
        if (!m.pickup)
            object.insert(QLatin1String("pickup"), false);
        if (!m.feedback)
            object.insert(QLatin1String("feedback"), false);
        list.append(object);
    }
    QJsonObject root;
    root.insert(QLatin1String("version"), Version);
    root.insert(QLatin1String("controller"), map.controller);
    root.insert(QLatin1String("mappings"), list);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool MidiMapFile::load(const QString &path, MidiMap &map, QString &error)
{
    QByteArray bytes;
    return RegularFile::read(path, LargestFile, bytes, error) && read(bytes, map, error);
}

bool MidiMapFile::save(const QString &path, const MidiMap &map, QString &error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(write(map)) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
