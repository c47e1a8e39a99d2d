#include "prismosettings.h"
#include "commandline.h"
#include "logcategories.h"
#include "regularfile.h"

#include <QDebug>
#include <QFile>
#include <QMap>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

namespace {

const char AddressKey[] = "IPAddress";
const char GangCountKey[] = "NumGangPrismos";
const char GangArray[] = "GangPrismoNames";
const char GangNameKey[] = "GangPrismoName";
const char RecentLooksKey[] = "RecentLooks";
const char OscEnabledKey[] = "OscEnabled";
const char OscPortKey[] = "OscPort";
const char OscListenKey[] = "OscListen";
const char OscAllowKey[] = "OscAllow";

// QSettings turns a value written as @Variant(...) back into whatever its
// bytes describe as soon as it reads the value's group, and it reads every
// group when it writes the file. A damaged file can describe a list of four
// thousand million elements, whose room is taken before one element is read:
// the program would end. This program stores only text and numbers, so such
// a value is damage.
//
// Returns where each text that could read as @Variant( begins in the file.
// The escapes of the file's format are undone first, so an escaped @ counts
// too; a text of its own begins with a second @.
std::vector<int> serialisedValueStarts(const QByteArray &file)
{
    std::vector<ushort> text;
    std::vector<int> from; // for each character of the text, where it begins in the file
    text.reserve(std::size_t(file.size()));
    from.reserve(std::size_t(file.size()));
    const auto put = [&](ushort c, int at) {
        text.push_back(c);
        from.push_back(at);
    };
    for (int i = 0; i < file.size(); ++i) {
        const int at = i;
        const char c = file.at(i);
        if (c == '"')
            continue; // quotes only group; the text between them joins its neighbours
        if (c != '\\' || i + 1 == file.size()) {
            put(uchar(c), at);
            continue;
        }
        const char e = file.at(++i);
        const int base = e == 'x' ? 16 : (e >= '0' && e <= '7') ? 8 : 0;
        if (base == 0) {
            // Named escapes stand for control characters or for themselves;
            // any other escaped character, a line end too, is left out.
            const int named = QByteArray("abfnrtv").indexOf(e);
            if (named >= 0)
                put(ushort("\a\b\f\n\r\t\v"[named]), at);
            else if (e == '"' || e == '?' || e == '\'' || e == '\\')
                put(uchar(e), at);
            continue;
        }
        if (base == 16)
            ++i;
        uint value = 0;
        int digits = 0;
        for (; i < file.size(); ++i, ++digits) {
            const int digit = QByteArray("0123456789abcdef").indexOf(char(file.at(i) | 0x20));
            if (digit < 0 || digit >= base)
                break;
            value = value * uint(base) + uint(digit);
        }
        --i;
        // A character code keeps its low 16 bits; \x without digits stands for nothing.
        if (digits > 0)
            put(ushort(value), at);
    }
    std::vector<int> starts;
    static const char pattern[] = "@Variant(";
    const auto end = text.end();
    for (auto found = std::search(text.begin(), end, pattern, pattern + sizeof pattern - 1); found != end;
         found = std::search(found + 1, end, pattern, pattern + sizeof pattern - 1)) {
        if (found == text.begin() || *(found - 1) != '@')
            starts.push_back(from[std::size_t(found - text.begin())]);
    }
    return starts;
}

// The file without every line on which such a value begins (a line ends at
// a line feed or a carriage return, as for QSettings). Taking lines out can
// join what was around them (an escaped line end), so the file is looked at
// again until none is left.
QByteArray withoutSerialisedValues(QByteArray file)
{
    const auto isLineEnd = [](char c) { return c == '\n' || c == '\r'; };
    for (std::vector<int> starts = serialisedValueStarts(file); !starts.empty(); starts = serialisedValueStarts(file)) {
        QByteArray kept;
        const char *begin = file.constData();
        const char *end = begin + file.size();
        const char *keptFrom = begin;
        for (auto start = starts.begin(); start != starts.end();) {
            const char *at = begin + *start;
            const char *lineBegin = std::find_if(std::make_reverse_iterator(at), std::make_reverse_iterator(keptFrom),
                                                 isLineEnd).base();
            const char *lineEnd = std::find_if(at, end, isLineEnd);
            lineEnd += lineEnd == end ? 0 : 1;
            kept.append(keptFrom, int(lineBegin - keptFrom));
            keptFrom = lineEnd;
            while (start != starts.end() && begin + *start < lineEnd)
                ++start;
        }
        kept.append(keptFrom, int(end - keptFrom));
        file = kept;
    }
    return file;
}

// A value that is not what its key holds: the warning that says so.
void warnDamaged(const QSettings &store, const char *key, const QVariant &stored, const char *expected, const QString &used)
{
    qCWarning(lcSettings).noquote() << QStringLiteral("Settings %1: %2=%3 is not %4; %5 is used instead")
                                           .arg(store.fileName(), QLatin1String(key),
                                                CommandLine::quote(stored.toString()), QLatin1String(expected), used);
}

// The gang count as stored. A count beyond every number is cut to the bound
// like any other count above it; one that is no number is damage and 0.
int storedGangCount(const QSettings &store)
{
    const QVariant stored = store.value(QLatin1String(GangCountKey));
    if (!stored.isValid())
        return 0;
    const QString text = stored.toString().trimmed();
    bool isNumber = false;
    const qlonglong count = text.toLongLong(&isNumber, 10);
    const QStringView digits = text.startsWith(QLatin1Char('+')) ? QStringView(text).mid(1) : QStringView(text);
    const bool onlyDigits = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    if (isNumber && count >= 0 && count <= PrismoSettings::MaxGangSize)
        return int(count);
    const int used = (isNumber && count > 0) || (!isNumber && onlyDigits) ? PrismoSettings::MaxGangSize : 0;
    warnDamaged(store, GangCountKey, stored, "a count from 0 to 256", QString::number(used));
    return used;
}

// A switch as stored: true or false (1 or 0); anything else is damage.
bool storedSwitch(const QSettings &store, const char *key)
{
    const QVariant stored = store.value(QLatin1String(key));
    const QString text = stored.toString().trimmed().toLower();
    if (!stored.isValid() || text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    warnDamaged(store, key, stored, "true or false", QStringLiteral("false"));
    return false;
}

// A port as stored: 1 to 65535, or 0 when it is missing or damaged.
int storedPort(const QSettings &store, const char *key)
{
    const QVariant stored = store.value(QLatin1String(key));
    if (!stored.isValid())
        return 0;
    bool isPort = false;
    const int port = stored.toString().trimmed().toInt(&isPort);
    if (isPort && port > 0 && port < 65536)
        return port;
    warnDamaged(store, key, stored, "a port from 1 to 65535", QStringLiteral("the default"));
    return 0;
}

// A settings file larger than PrismoSettings::LargestFile is not handed to
// QSettings, which would hold all of it in memory and write all of it again
// at exit. Only the lines of the keys this program knows are taken from it,
// each at most this long; the last of a key counts, as for QSettings.
constexpr int LongestKeptLine = 2048;

// The key of a line of the file in the form the cut-down file writes it,
// with the group it belongs to ("General" or the gang's); empty when this
// program does not know it.
QPair<QByteArray, QByteArray> knownKey(const QByteArray &section, const QByteArray &key)
{
    static const QByteArray general[] = {AddressKey, GangCountKey, RecentLooksKey, OscEnabledKey,
                                         OscPortKey, OscListenKey, OscAllowKey};
    const QByteArray gangPrefix = QByteArray(GangArray) + '\\';
    QByteArray element;
    if (section == "General") {
        if (std::find(std::begin(general), std::end(general), key) != std::end(general))
            return {"General", key};
        if (!key.startsWith(gangPrefix))
            return {};
        element = key.mid(gangPrefix.size());
    } else if (section == GangArray) {
        element = key;
    } else {
        return {};
    }
    const int slash = element.indexOf('\\');
    bool isIndex = false;
    const int index = element.left(slash).toInt(&isIndex);
    if (element == "size" || (isIndex && index >= 1 && index <= PrismoSettings::MaxGangSize
                              && element.mid(slash + 1) == GangNameKey))
        return {GangArray, element};
    return {};
}

// The lines of the known keys of a file, as an INI file of their own.
QByteArray knownKeysOf(QFile &file)
{
    QMap<QByteArray, QMap<QByteArray, QByteArray>> kept; // group, key: line
    QByteArray section = "General";
    const auto take = [&](const QByteArray &line) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            section = trimmed.mid(1, trimmed.indexOf(']') - 1);
            return;
        }
        const int equals = trimmed.indexOf('=');
        const auto [group, key] = knownKey(section, trimmed.left(equals).trimmed());
        if (equals > 0 && !key.isEmpty())
            kept[group][key] = key + trimmed.mid(equals);
    };
    // Only a line that may hold a section or a known key is looked at closely.
    const auto mayMatter = [](const QByteArray &line) {
        const char c = line.isEmpty() ? '\0' : line.at(0);
        return QByteArray("[ \tINROGs0123456789").indexOf(c) >= 0;
    };
    QByteArray line;
    bool overlong = false;
    for (QByteArray block; !(block = file.read(1 << 20)).isEmpty();) {
        const char *from = block.constData();
        const char *const end = from + block.size();
        while (from < end) {
            const char *lineFeed = static_cast<const char *>(std::memchr(from, '\n', std::size_t(end - from)));
            const char *stop = lineFeed ? lineFeed : end;
            if (!overlong)
                line.append(from, int(std::min<qptrdiff>(stop - from, LongestKeptLine + 1 - line.size())));
            overlong = line.size() > LongestKeptLine;
            if (!lineFeed)
                break;
            if (!overlong && mayMatter(line))
                take(line);
            line.clear();
            overlong = false;
            from = lineFeed + 1;
        }
    }
    if (!overlong && mayMatter(line))
        take(line);
    QByteArray ini;
    for (auto group = kept.cbegin(); group != kept.cend(); ++group) {
        ini += '[' + group.key() + "]\n";
        for (const QByteArray &keptLine : group.value())
            ini += keptLine + '\n';
        ini += '\n';
    }
    return ini;
}

// Makes the file at path one QSettings can read whole: one that is too
// large, or no file at all (a pipe would hold the program), is set aside
// beside it, and a file of the known keys taken from it takes its place.
// False when that could not be done; the file must not be read then.
bool cutDown(const QString &path)
{
    QString why;
    if (!QFile::exists(path) || RegularFile::check(path, PrismoSettings::LargestFile, why))
        return true;
    const QString aside = path + QStringLiteral(".set-aside");
    QFile::remove(aside);
    QByteArray known;
    if (QFile::rename(path, aside)) {
        // The known keys are looked for only in a regular file; a pipe gives none.
        QString notRegular;
        QFile original(aside);
        if (RegularFile::check(aside, std::numeric_limits<qint64>::max(), notRegular) && original.open(QIODevice::ReadOnly))
            known = knownKeysOf(original);
        QSaveFile replaced(path);
        if (replaced.open(QIODevice::WriteOnly) && replaced.write(known) == known.size() && replaced.commit()) {
            qCWarning(lcSettings).noquote()
                << QStringLiteral("Settings %1 not read whole: %2 It is set aside as %3; the address, the gang, the recent "
                                  "looks and the OSC settings were taken from it.")
                       .arg(path, why, aside);
            return true;
        }
    }
    qCWarning(lcSettings).noquote() << QStringLiteral("Settings %1 not read: %2 It cannot be set aside; the settings are "
                                                      "neither read nor saved.")
                                           .arg(path, why);
    return false;
}

// The file of the user's store, where it is one.
QString userStorePath()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return QString();
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
         + QLatin1String(PrismoSettings::Organisation) + QLatin1Char('/') + QLatin1String(PrismoSettings::Application)
         + QStringLiteral(".conf");
#endif
}

std::unique_ptr<QSettings> unusableStore()
{
    // A store without a file: nothing is read, and nothing is written.
    return std::make_unique<QSettings>(QString(), QSettings::IniFormat);
}

} // namespace

const char PrismoSettings::Organisation[] = "tavi";
const char PrismoSettings::Application[] = "PrismoRest";

std::unique_ptr<QSettings> PrismoSettings::openStore()
{
    const QString path = userStorePath();
    if (!path.isEmpty() && !cutDown(path))
        return unusableStore();
    return std::make_unique<QSettings>(QString::fromLatin1(Organisation), QString::fromLatin1(Application));
}

std::unique_ptr<QSettings> PrismoSettings::openStore(const QString &iniPath)
{
    if (!cutDown(iniPath))
        return unusableStore();
    return std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

QStringList PrismoSettings::recentLooks()
{
    QStringList paths = openStore()->value(QLatin1String(RecentLooksKey)).toStringList();
    paths.removeAll(QString());
    return paths.mid(0, RecentLooksKept);
}

void PrismoSettings::addRecentLook(const QString &path)
{
    QStringList paths = recentLooks();
    paths.removeAll(path);
    paths.prepend(path);
    openStore()->setValue(QLatin1String(RecentLooksKey), QVariant(paths.mid(0, RecentLooksKept)));
}

void PrismoSettings::load()
{
    load(*openStore());
}

void PrismoSettings::save(const QString &address, const QStringList &gangNames)
{
    save(*openStore(), address, gangNames);
}

void PrismoSettings::load(QSettings &store)
{
    address.clear();
    gangNames.clear();
    // A store that is no file (the registry on Windows) cannot be looked at.
    // A file with serialised values is written again without them before
    // QSettings reads it, so neither this read nor the write at exit ever
    // turns them back into values; everything else in it is kept.
    QFile file(store.fileName());
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray stored = file.readAll();
        file.close();
        const QByteArray repaired = withoutSerialisedValues(stored);
        if (repaired.size() != stored.size()) {
            qCDebug(lcSettings) << "PrismoSettings: settings" << store.fileName() << "hold serialised values; they are dropped";
            QSaveFile rewritten(store.fileName());
            rewritten.setDirectWriteFallback(true);
            if (!rewritten.open(QIODevice::WriteOnly) || rewritten.write(repaired) != repaired.size()
                || !rewritten.commit()) {
                qCDebug(lcSettings) << "PrismoSettings: settings" << store.fileName() << "cannot be written; not read";
                return;
            }
            // The file is shorter now, so QSettings reads it again.
            store.sync();
        }
    }
    address = store.value(QLatin1String(AddressKey)).toString();
    const int count = storedGangCount(store);
    // The array's own size record is not trusted; the count alone bounds the read.
    store.beginReadArray(QLatin1String(GangArray));
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        gangNames.append(store.value(QLatin1String(GangNameKey)).toString());
    }
    store.endArray();
    oscEnabled = storedSwitch(store, OscEnabledKey);
    oscPort = storedPort(store, OscPortKey);
    oscListen = store.value(QLatin1String(OscListenKey)).toString();
    // A comma in an INI value makes it a list.
    oscAllow = store.value(QLatin1String(OscAllowKey)).toStringList().join(QLatin1Char(','));
}

void PrismoSettings::save(QSettings &store, const QString &address, const QStringList &gangNames)
{
    store.setValue(QLatin1String(AddressKey), address);
    // The elements of a larger gang saved before go, so none is left behind the new count.
    store.remove(QLatin1String(GangArray));
    store.beginWriteArray(QLatin1String(GangArray));
    for (int i = 0; i < gangNames.size(); ++i) {
        store.setArrayIndex(i);
        store.setValue(QLatin1String(GangNameKey), gangNames[i]);
    }
    store.endArray();
    store.setValue(QLatin1String(GangCountKey), gangNames.size());
}
