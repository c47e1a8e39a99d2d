#include "faultsettings.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {
// Bounds that keep a typing error from turning the unit into something useless.
constexpr int LongestDelayMs = 600000;
constexpr int LargestBody = 1 << 20;

bool readNumber(const QString &name, const QString &text, int minimum, int maximum, int &value, QString *error)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < minimum || number > maximum) {
        *error = QStringLiteral("%1 needs a whole number from %2 to %3, not \"%4\"")
                     .arg(name)
                     .arg(minimum)
                     .arg(maximum)
                     .arg(text);
        return false;
    }
    value = number;
    return true;
}
} // namespace

bool FaultSettings::apply(const QString &text, QString *error)
{
    FaultSettings result = *this;
    const QStringList words = text.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        *error = QStringLiteral("no fault given");
        return false;
    }
    for (const QString &word : words) {
        const int equals = word.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? word : word.left(equals);
        const QString argument = equals < 0 ? QString() : word.mid(equals + 1);
        const bool hasArgument = equals >= 0;
        bool ok = true;
        if (name == QLatin1String("none") && !hasArgument) {
            result = FaultSettings();
        } else if (name == QLatin1String("delay") && hasArgument) {
            ok = readNumber(name, argument, 0, LongestDelayMs, result.delayMs, error);
        } else if (name == QLatin1String("chunked")) {
            result.chunkSize = DefaultChunkSize;
            if (hasArgument)
                ok = readNumber(name, argument, 0, LargestBody, result.chunkSize, error);
        } else if (name == QLatin1String("close") && !hasArgument) {
            result.closeEveryReply = true;
        } else if (name == QLatin1String("drop") && hasArgument) {
            ok = readNumber(name, argument, 0, 1000000, result.dropEvery, error);
        } else if (name == QLatin1String("fail") && hasArgument && !argument.isEmpty()) {
            result.failingParameters.insert(argument.toLatin1());
        } else if (name == QLatin1String("stall") && !hasArgument) {
            result.stall = true;
        } else if (name == QLatin1String("oversize")) {
            result.oversizeBytes = DefaultOversizeBytes;
            if (hasArgument)
                ok = readNumber(name, argument, 0, LargestBody, result.oversizeBytes, error);
        } else if (name == QLatin1String("standard") && !hasArgument) {
            result.standardLineEnd = true;
        } else if (name == QLatin1String("garbage") && !hasArgument) {
            result.garbage = true;
        } else if (name == QLatin1String("cut")) {
            result.cut = true;
            result.cutBytes = 0;
            if (hasArgument)
                ok = readNumber(name, argument, 1, LargestBody, result.cutBytes, error);
        } else if (name == QLatin1String("no-delay") && !hasArgument) {
            result.delayMs = 0;
        } else if (name == QLatin1String("no-chunked") && !hasArgument) {
            result.chunkSize = 0;
        } else if (name == QLatin1String("no-close") && !hasArgument) {
            result.closeEveryReply = false;
        } else if (name == QLatin1String("no-drop") && !hasArgument) {
            result.dropEvery = 0;
        } else if (name == QLatin1String("no-fail")) {
            if (hasArgument)
                result.failingParameters.remove(argument.toLatin1());
            else
                result.failingParameters.clear();
        } else if (name == QLatin1String("no-stall") && !hasArgument) {
            result.stall = false;
        } else if (name == QLatin1String("no-oversize") && !hasArgument) {
            result.oversizeBytes = 0;
        } else if (name == QLatin1String("no-standard") && !hasArgument) {
            result.standardLineEnd = false;
        } else if (name == QLatin1String("no-garbage") && !hasArgument) {
            result.garbage = false;
        } else if (name == QLatin1String("no-cut") && !hasArgument) {
            result.cut = false;
            result.cutBytes = 0;
        } else {
            *error = QStringLiteral("unknown fault \"%1\"").arg(word);
            ok = false;
        }
        if (!ok)
            return false;
    }
    *this = result;
    return true;
}

QString FaultSettings::describe() const
{
    QStringList words;
    if (delayMs > 0)
        words << QStringLiteral("delay=%1").arg(delayMs);
    if (chunkSize > 0)
        words << QStringLiteral("chunked=%1").arg(chunkSize);
    if (closeEveryReply)
        words << QStringLiteral("close");
    if (dropEvery > 0)
        words << QStringLiteral("drop=%1").arg(dropEvery);
    QList<QByteArray> failing = failingParameters.values();
    std::sort(failing.begin(), failing.end());
    for (const QByteArray &name : failing)
        words << QStringLiteral("fail=%1").arg(QString::fromLatin1(name));
    if (stall)
        words << QStringLiteral("stall");
    if (oversizeBytes > 0)
        words << QStringLiteral("oversize=%1").arg(oversizeBytes);
    if (standardLineEnd)
        words << QStringLiteral("standard");
    if (garbage)
        words << QStringLiteral("garbage");
    if (cut)
        words << (cutBytes > 0 ? QStringLiteral("cut=%1").arg(cutBytes) : QStringLiteral("cut"));
    return words.isEmpty() ? QStringLiteral("none") : words.join(QLatin1Char(','));
}

bool FaultSettings::operator==(const FaultSettings &other) const
{
    return delayMs == other.delayMs && chunkSize == other.chunkSize && closeEveryReply == other.closeEveryReply &&
           dropEvery == other.dropEvery && failingParameters == other.failingParameters && stall == other.stall &&
           oversizeBytes == other.oversizeBytes && standardLineEnd == other.standardLineEnd &&
           garbage == other.garbage && cut == other.cut && cutBytes == other.cutBytes;
}
