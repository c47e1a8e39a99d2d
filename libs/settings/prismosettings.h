#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// What the program remembers between runs, and the one place that knows how:
// the address in the address field and the host names of the ganged units
// (as the units list them, each with a blank at its end),
// in the user's settings store of organisation "tavi", application
// "PrismoRest" (on Linux the INI file ~/.config/tavi/PrismoRest.conf), which
// save() writes as
//
//   [General]
//   IPAddress=127.0.0.11
//   NumGangPrismos=2
//   RecentLooks=/home/me/looks/day.json, /home/me/looks/night.json
//
//   [GangPrismoNames]
//   1\GangPrismoName="prismo-2 "
//   2\GangPrismoName="prismo-3 "
//   size=2
//
// Remote control over OSC is switched on by hand in [General] (OscEnabled=true,
// OscPort=49370, OscListen=127.0.0.1, OscAllow=10.0.0.5,10.1.0.0/16); the
// program reads these and never writes them.
//
// (the gang's keys in the order of their text: 10\ before 2\; no gang:
// NumGangPrismos=0 and size=0; the elements of an earlier, larger gang are
// removed). The same keys written under [General] as
// GangPrismoNames\1\GangPrismoName=... read alike. The count bounds what is
// read (the array's own size is not trusted).
class PrismoSettings
{
public:
    static const char Organisation[];
    static const char Application[];
    static constexpr int RecentLooksKept = 8;
    // A gang larger than this cannot come from a unit's list; a larger count
    // in the store is damage and is cut to it.
    static constexpr int MaxGangSize = 256;
    // A settings file is small. A larger one (or a pipe or folder in its
    // place) is set aside beside it, as NAME.set-aside, and a file of the
    // keys named here taken from it takes its place, before it is read.
    static constexpr qint64 LargestFile = 1024 * 1024;

    QString address;
    QStringList gangNames;
    bool oscEnabled = false;
    int oscPort = 0; // 0: not set
    QString oscListen;
    QString oscAllow;

    // The user's store (organisation and application as above).
    static std::unique_ptr<QSettings> openStore();
    // A store in the INI file at path, checked as the user's is.
    static std::unique_ptr<QSettings> openStore(const QString &iniPath);

    void load();
    // A value that is not what its key holds (OscPort=junk) is damage: it
    // is told as a warning and its default is used.
    void load(QSettings &store);
    // Writes the address unchanged and the host names of the gang.
    static void save(const QString &address, const QStringList &gangNames);
    // The look files opened or saved last, the latest first.
    static QStringList recentLooks();
    // Puts the file first among the recent looks (at most RecentLooksKept are kept).
    static void addRecentLook(const QString &path);
    static void save(QSettings &store, const QString &address, const QStringList &gangNames);
};
