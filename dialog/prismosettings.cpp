#include "prismosettings.h"

#include <QSettings>

#include <algorithm>

void PrismoSettings::load(QSettings &store)
{
    address = store.value(QStringLiteral("IPAddress")).toString();
    gangNames.clear();
    const int count = std::clamp(store.value(QStringLiteral("NumGangPrismos")).toInt(), 0, MaxGangSize);
    // The array's own size record is not trusted; the count alone bounds the read.
    store.beginReadArray(QStringLiteral("GangPrismoNames"));
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        gangNames.append(store.value(QStringLiteral("GangPrismoName")).toString());
    }
    store.endArray();
}

void PrismoSettings::save(QSettings &store, const QString &address, const QList<DeviceEntry> &devices)
{
    store.setValue(QStringLiteral("IPAddress"), address);
    store.beginWriteArray(QStringLiteral("GangPrismoNames"));
    int written = 0;
    for (const DeviceEntry &entry : devices) {
        if (!entry.ganged)
            continue;
        store.setArrayIndex(written++);
        store.setValue(QStringLiteral("GangPrismoName"), entry.hostName);
    }
    store.endArray();
    store.setValue(QStringLiteral("NumGangPrismos"), written);
}
