#include "unitlinks.h"

#include "unitlink.h"
#include "unittransport.h"

#include <algorithm>

UnitLinks::UnitLinks(TransportFactory factory, QObject *parent) : QObject(parent), m_factory(std::move(factory)) {}

UnitLinks::~UnitLinks()
{
    closeAll();
}

UnitLink *UnitLinks::open(const QString &address)
{
    m_links.push_back(std::make_unique<UnitLink>(address, m_factory(address)));
    UnitLink *link = m_links.back().get();
    connect(link, &UnitLink::finished, this, [this, link] {
        const auto it = std::find_if(m_links.begin(), m_links.end(),
                                     [link](const std::unique_ptr<UnitLink> &held) { return held.get() == link; });
        if (it != m_links.end())
            m_links.erase(it);
    }, Qt::QueuedConnection);
    return link;
}

void UnitLinks::close(UnitLink *link)
{
    if (link)
        link->close();
}

void UnitLinks::closeAll()
{
    for (const std::unique_ptr<UnitLink> &link : m_links)
        link->stop();
    // Each destructor waits for its thread; they were all stopped together.
    m_links.clear();
}

int UnitLinks::running() const
{
    return int(m_links.size());
}

int UnitLinks::waiting() const
{
    int count = 0;
    for (const std::unique_ptr<UnitLink> &link : m_links)
        count += link->waiting();
    return count;
}
