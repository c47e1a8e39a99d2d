#include "oscoptions.h"

#include "commandline.h"
#include "logcategories.h"
#include "prismosettings.h"

#include <QDebug>

namespace {
// Checks a value of the command line or the settings: true when it is
// usable (or not given). One from the settings that is not is told as a
// warning and left at its default.
bool usable(bool fromLine, bool ok, const QString &problem, const char *key, QString &error)
{
    if (ok)
        return true;
    if (fromLine) {
        error = problem;
        return false;
    }
    qCWarning(lcSettings).noquote() << QStringLiteral("Settings: %1: %2; the default is used").arg(QLatin1String(key), problem);
    return true;
}
} // namespace

bool OscOptions::compose(const CommandLine &line, const PrismoSettings &settings, OscOptions &options, QString &error)
{
    options = OscOptions();
    options.enabled = line.osc || settings.oscEnabled;
    if (line.oscPort)
        options.port = *line.oscPort;
    else if (settings.oscPort > 0)
        options.port = quint16(settings.oscPort);

    const bool listenFromLine = !line.oscListen.isEmpty();
    const QString listen = listenFromLine ? line.oscListen : settings.oscListen;
    QHostAddress address;
    const bool listenOk = listen.isEmpty() || address.setAddress(listen);
    if (!usable(listenFromLine, listenOk,
                QStringLiteral("%1 is no address to listen on").arg(CommandLine::quote(listen)), "OscListen", error))
        return false;
    if (listenOk && !listen.isEmpty())
        options.listen = address;

    const bool allowFromLine = !line.oscAllow.isEmpty();
    QString why;
    QList<QPair<QHostAddress, int>> allowed;
    const bool allowOk = parseAllowList(allowFromLine ? line.oscAllow : settings.oscAllow, allowed, why);
    if (!usable(allowFromLine, allowOk, why + QStringLiteral(" to allow"), "OscAllow", error))
        return false;
    if (allowOk)
        options.allowed = allowed;
    return true;
}

bool OscOptions::parseAllowList(const QString &text, QList<QPair<QHostAddress, int>> &list, QString &error)
{
    list.clear();
    if (text.trimmed().isEmpty())
        return true;
    for (const QString &entry : text.split(QLatin1Char(','))) {
        const QString trimmed = entry.trimmed();
        if (trimmed.isEmpty()) {
            list.clear();
            error = QStringLiteral("an empty entry is no address or subnet");
            return false;
        }
        QPair<QHostAddress, int> subnet = trimmed.contains(QLatin1Char('/'))
                                              ? QHostAddress::parseSubnet(trimmed)
                                              : qMakePair(QHostAddress(trimmed), trimmed.contains(QLatin1Char(':')) ? 128 : 32);
        if (subnet.first.isNull()) {
            list.clear();
            error = QStringLiteral("%1 is no address or subnet").arg(CommandLine::quote(trimmed));
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
