// The stored settings as the program reads them at start-up: an INI file
// that may hold anything, a damaged gang count or serialised values
// included. Loading and the write at exit must stay bounded, and what was
// loaded must come back unchanged when saved and loaded again, both from a
// fresh file and from the file it came from.
#include "prismosettings.h"
#include "invariant.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>

namespace {

QTemporaryDir &scratch()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/prismolink-fuzz-settings-XXXXXX"));
    return dir;
}

// QSettings keeps the files it parsed, by name, and parses a file again only
// when its size or time of change differs. Every file written here gets a
// time of its own, so every load parses what the file holds.
void touch(const QString &path)
{
    static qint64 serial = 0;
    QFile file(path);
    check(file.open(QIODevice::ReadWrite), "the settings file can be opened");
    check(file.setFileTime(QDateTime::fromSecsSinceEpoch(1000000000 + ++serial), QFileDevice::FileModificationTime),
          "the time of change can be set");
}

PrismoSettings load(const QString &path)
{
    touch(path);
    PrismoSettings settings;
    QSettings store(path, QSettings::IniFormat);
    settings.load(store);
    return settings;
}

void save(const QString &path, const PrismoSettings &settings)
{
    QSettings store(path, QSettings::IniFormat);
    PrismoSettings::save(store, settings.address, settings.gangNames);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    check(scratch().isValid(), "a scratch folder");
    const QString stored = scratch().filePath(QStringLiteral("stored.ini"));
    {
        QFile file(stored);
        check(file.open(QIODevice::WriteOnly), "the settings file can be written");
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const PrismoSettings loaded = load(stored);
    check(loaded.gangNames.size() <= PrismoSettings::MaxGangSize, "the gang is bounded");

    // Saved to a fresh file, and (the write at exit) into the file that was
    // read, beside whatever else it holds.
    const QString fresh = scratch().filePath(QStringLiteral("saved.ini"));
    QFile::remove(fresh);
    for (const QString &path : {fresh, stored}) {
        save(path, loaded);
        const PrismoSettings again = load(path);
        check(again.address == loaded.address && again.gangNames == loaded.gangNames, "what was loaded comes back when saved");
    }
    return 0;
}
