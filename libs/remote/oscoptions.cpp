#include "oscoptions.h"

bool OscOptions::parseAllowList(const QString &text, QList<QPair<QHostAddress, int>> &list, QString &error)
{
    list.clear();
    for (const QString &entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString trimmed = entry.trimmed();
        QPair<QHostAddress, int> subnet = trimmed.contains(QLatin1Char('/'))
                                              ? QHostAddress::parseSubnet(trimmed)
                                              : qMakePair(QHostAddress(trimmed), trimmed.contains(QLatin1Char(':')) ? 128 : 32);
        if (subnet.first.isNull()) {
            error = trimmed;
            return false;
        }
        list << subnet;
    }
    return true;
}

bool OscOptions::allows(const QHostAddress &sender) const
{
    if (sender.isLoopback())
        return true;
    // An IPv4 sender may arrive mapped into IPv6.
    bool isV4 = false;
    const quint32 v4 = sender.toIPv4Address(&isV4);
    const QHostAddress plain = isV4 ? QHostAddress(v4) : sender;
    for (const auto &subnet : allowed) {
        if (plain.isInSubnet(subnet))
            return true;
    }
    return false;
}
