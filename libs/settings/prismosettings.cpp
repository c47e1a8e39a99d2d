#include "prismosettings.h"
#include "logcategories.h"

#include <QDebug>
#include <QFile>
#include <QSaveFile>
#include <QSettings>

#include <algorithm>
#include <iterator>
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
const char MidiEnabledKey[] = "MidiEnabled";
const char MidiBackendKey[] = "MidiBackend";
const char MidiMapKey[] = "MidiMap";

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

// The gang count as stored. A count beyond every number is cut to the bound
// like any other count above it; one that is no number is 0.
int storedGangCount(const QVariant &stored)
{
    const QString text = stored.toString().trimmed();
    bool isNumber = false;
    const qlonglong count = text.toLongLong(&isNumber, 10);
    if (isNumber)
        return int(std::clamp<qlonglong>(count, 0, PrismoSettings::MaxGangSize));
    const QStringView digits = text.startsWith(QLatin1Char('+')) ? QStringView(text).mid(1) : QStringView(text);
    const bool onlyDigits = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    return onlyDigits ? PrismoSettings::MaxGangSize : 0;
}

} // namespace

const char PrismoSettings::Organisation[] = "tavi";
const char PrismoSettings::Application[] = "PrismoRest";

std::unique_ptr<QSettings> PrismoSettings::openStore()
{
    return std::make_unique<QSettings>(QString::fromLatin1(Organisation), QString::fromLatin1(Application));
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
    const int count = storedGangCount(store.value(QLatin1String(GangCountKey)));
    // The array's own size record is not trusted; the count alone bounds the read.
    store.beginReadArray(QLatin1String(GangArray));
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        gangNames.append(store.value(QLatin1String(GangNameKey)).toString());
    }
    store.endArray();
    oscEnabled = store.value(QLatin1String(OscEnabledKey)).toBool();
    bool isPort = false;
    const int port = store.value(QLatin1String(OscPortKey)).toInt(&isPort);
    oscPort = isPort && port > 0 && port < 65536 ? port : 0;
    oscListen = store.value(QLatin1String(OscListenKey)).toString();
    // A comma in an INI value makes it a list.
    oscAllow = store.value(QLatin1String(OscAllowKey)).toStringList().join(QLatin1Char(','));
    const QString midiOn = store.value(QLatin1String(MidiEnabledKey)).toString().trimmed();
    midiEnabled = midiOn.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || midiOn == QLatin1String("1");
    midiBackend = store.value(QLatin1String(MidiBackendKey)).toString().trimmed();
    midiMap = store.value(QLatin1String(MidiMapKey)).toStringList().join(QLatin1Char(','));
}

void PrismoSettings::saveMidiEnabled(bool on)
{
    openStore()->setValue(QLatin1String(MidiEnabledKey), on);
}

void PrismoSettings::saveMidiMap(const QString &path)
{
    openStore()->setValue(QLatin1String(MidiMapKey), path);
}

void PrismoSettings::save(QSettings &store, const QString &address, const QStringList &gangNames)
{
    store.setValue(QLatin1String(AddressKey), address);
    store.beginWriteArray(QLatin1String(GangArray));
    for (int i = 0; i < gangNames.size(); ++i) {
        store.setArrayIndex(i);
        store.setValue(QLatin1String(GangNameKey), gangNames[i]);
    }
    store.endArray();
    store.setValue(QLatin1String(GangCountKey), gangNames.size());
}
