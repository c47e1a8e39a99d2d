#include "prismosettings.h"

#include <QDebug>
#include <QFile>
#include <QSettings>

#include <algorithm>
#include <vector>

namespace {

// QSettings turns a value written as @Variant(...) back into whatever its
// bytes describe as soon as it reads the value's group, and a damaged file
// can describe a list of four thousand million elements, whose room is taken
// before one element is read: the program would end at start-up. This
// program stores only text and numbers, so a file that may hold such a value
// is damage. The escapes of the file's format are undone first, and whatever
// could read as @Variant( counts; a text of its own begins with a second @.
bool mayHoldSerialisedValue(const QByteArray &file)
{
    std::vector<ushort> text;
    text.reserve(std::size_t(file.size()));
    for (int i = 0; i < file.size(); ++i) {
        const char c = file.at(i);
        if (c == '"')
            continue; // quotes only group; the text between them joins its neighbours
        if (c != '\\' || i + 1 == file.size()) {
            text.push_back(uchar(c));
            continue;
        }
        const char e = file.at(++i);
        const int base = e == 'x' ? 16 : (e >= '0' && e <= '7') ? 8 : 0;
        if (base == 0) {
            // Named escapes stand for control characters or for themselves;
            // any other escaped character, a line end too, is left out.
            const int named = QByteArray("abfnrtv").indexOf(e);
            if (named >= 0)
                text.push_back(ushort("\a\b\f\n\r\t\v"[named]));
            else if (e == '"' || e == '?' || e == '\'' || e == '\\')
                text.push_back(uchar(e));
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
            text.push_back(ushort(value));
    }
    static const char pattern[] = "@Variant(";
    const auto end = text.end();
    for (auto at = std::search(text.begin(), end, pattern, pattern + sizeof pattern - 1); at != end;
         at = std::search(at + 1, end, pattern, pattern + sizeof pattern - 1)) {
        if (at == text.begin() || *(at - 1) != '@')
            return true;
    }
    return false;
}

} // namespace

void PrismoSettings::load(QSettings &store)
{
    address.clear();
    gangNames.clear();
    // A store that is no file (the registry on Windows) cannot be looked at.
    QFile file(store.fileName());
    if (file.open(QIODevice::ReadOnly) && mayHoldSerialisedValue(file.readAll())) {
        qDebug() << "PrismoSettings: settings" << store.fileName() << "are damaged (a serialised value); not read";
        return;
    }
    address = store.value(QStringLiteral("IPAddress")).toString();
    const int count = std::clamp(store.value(QStringLiteral("NumGangPrismos")).toInt(), 0, MaxGangSize);
    // The array's own size record is not trusted; the count alone bounds the read.
    store.beginReadArray(QStringLiteral("GangPrismoNames"));
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        gangNames.append(store.value(QStringLiteral("GangPrismoName")).toString());
    }
    store.endArray();
}

void PrismoSettings::save(QSettings &store, const QString &address, const QStringList &gangNames)
{
    store.setValue(QStringLiteral("IPAddress"), address);
    store.beginWriteArray(QStringLiteral("GangPrismoNames"));
    for (int i = 0; i < gangNames.size(); ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("GangPrismoName"), gangNames[i]);
    }
    store.endArray();
    store.setValue(QStringLiteral("NumGangPrismos"), gangNames.size());
}
