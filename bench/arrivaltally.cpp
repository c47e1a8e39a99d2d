#include "arrivaltally.h"

#include <algorithm>

ArrivalTally::ArrivalTally(Match match) : m_match(std::move(match)) {}

void ArrivalTally::add(const std::vector<RequestWatch::Request> &arrived)
{
    for (const RequestWatch::Request &request : arrived) {
        if (!m_match(request))
            continue;
        m_arrivals[request.address].push_back(request.atNs);
        ++m_total;
    }
}

int ArrivalTally::count(const QString &address) const
{
    const auto it = m_arrivals.constFind(address);
    return it == m_arrivals.constEnd() ? 0 : int(it->size());
}

bool ArrivalTally::allReached(const QStringList &addresses, int count) const
{
    return std::all_of(addresses.begin(), addresses.end(),
                       [&](const QString &address) { return this->count(address) >= count; });
}

qint64 ArrivalTally::latestNs(const QStringList &addresses, int nth) const
{
    qint64 latest = 0;
    for (const QString &address : addresses) {
        if (count(address) < nth)
            return 0;
        latest = std::max(latest, m_arrivals.constFind(address)->at(std::size_t(nth - 1)));
    }
    return latest;
}
