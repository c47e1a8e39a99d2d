#pragma once

#include "requestwatch.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Counts, unit by unit, the arrived requests of one kind, and when each came.
class ArrivalTally
{
public:
    using Match = std::function<bool(const RequestWatch::Request &)>;

    explicit ArrivalTally(Match match);

    void add(const std::vector<RequestWatch::Request> &arrived);
    int count(const QString &address) const;
    int total() const { return m_total; }
    // Every one of the units received at least this many.
    bool allReached(const QStringList &addresses, int count) const;
    // When the last of the units received its nth (counted from 1); 0 when one has not.
    qint64 latestNs(const QStringList &addresses, int nth) const;

private:
    Match m_match;
    QHash<QString, std::vector<qint64>> m_arrivals;
    int m_total = 0;
};
