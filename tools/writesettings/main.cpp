// Writes Prismolink's settings for a demo or test run into DIR/tavi/PrismoRest.conf,
// the store of a program started with XDG_CONFIG_HOME=DIR: ADDRESS as the
// saved address and the GANGED_HOSTs (host names such as prismo-grade-b) as
// the gang. A file already there is replaced.
#include "prismosettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3 || arguments.at(2).trimmed().isEmpty()) {
        std::fprintf(stderr, "usage: write-settings DIR ADDRESS [GANGED_HOST...]\n");
        return 2;
    }
    const QString path = QDir(arguments.at(1)).filePath(
        QStringLiteral("%1/%2.conf").arg(QLatin1String(PrismoSettings::Organisation), QLatin1String(PrismoSettings::Application)));
    QFile::remove(path);
    // Units list every host name with a blank at its end, and the program
    // keeps the names as listed: a name without it would never be ganged.
    QStringList gang;
    for (const QString &host : arguments.mid(3))
        gang << host + QLatin1Char(' ');
    const std::unique_ptr<QSettings> store = PrismoSettings::openStore(path);
    PrismoSettings::save(*store, arguments.at(2), gang);
    store->sync();
    if (store->status() != QSettings::NoError) {
        std::fprintf(stderr, "write-settings: %s cannot be written\n", qPrintable(QDir::toNativeSeparators(path)));
        return 1;
    }
    return 0;
}
