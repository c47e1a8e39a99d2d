#include "unitchooser.h"

#include "discoveryreply.h"
#include "gang.h"
#include "logcategories.h"
#include "parametercatalogue.h"
#include "unitidentity.h"
#include "unitlink.h"
#include "unitsession.h"
#include "unitwriter.h"

#include <QDebug>

using PC = ParameterCatalogue;

UnitChooser::UnitChooser(UnitLinks &links, QObject *parent)
    : QObject(parent), m_links(links), m_session(std::make_unique<UnitSession>(links)),
      m_gang(std::make_unique<Gang>(links))
{
    connect(m_session.get(), &UnitSession::identified, this, &UnitChooser::identifiedUnit);
    connect(m_session.get(), &UnitSession::refused, this, &UnitChooser::updateGang);
    connect(m_session.get(), &UnitSession::titleChanged, this, [this](const QString &title) {
        Q_EMIT titleChanged(title);
        Q_EMIT devicesChanged();
    });
    connect(m_gang.get(), &Gang::changed, this, [this] {
        Q_EMIT gangChanged();
        Q_EMIT devicesChanged();
    });
}

UnitChooser::~UnitChooser()
{
    close();
}

void UnitChooser::setSavedGang(const QStringList &hostNames)
{
    m_devices.setSavedGang(hostNames);
}

void UnitChooser::close()
{
    m_gang->rebuild({});
    m_session->close();
}

void UnitChooser::open(const QString &address)
{
    ++m_unit;
    m_gangBuilt = false;
    m_channels.clear();
    m_channelIndex = -1;
    m_session->open(address);
    m_devices.setCurrentAddress(m_session->address());
    Q_EMIT channelsChanged();
    Q_EMIT devicesChanged();
}

void UnitChooser::identifiedUnit()
{
    m_channels.clear();
    if (m_session->channelMode() == 1) {
        for (int channel = 1; channel <= 4; ++channel)
            m_channels.push_back({PC::channelName(channel), channel});
    } else if (m_session->channelMode() == 2) {
        m_channels.push_back({PC::channelName(0), 0});
    }
    m_channelIndex = m_channels.isEmpty() ? -1 : 0;
    Q_EMIT channelsChanged();
    Q_EMIT identified();
}

bool UnitChooser::selectChannel(int channel)
{
    for (int i = 0; i < m_channels.size(); ++i) {
        if (m_channels[i].channel != channel)
            continue;
        if (i == m_channelIndex)
            return false;
        m_channelIndex = i;
        Q_EMIT channelsChanged();
        return true;
    }
    return false;
}

bool UnitChooser::stepChannel(int step)
{
    if (m_channels.isEmpty())
        return false;
    const int count = m_channels.size();
    const int index = ((std::max(m_channelIndex, 0) + step) % count + count) % count;
    return selectChannel(m_channels[index].channel);
}

QString UnitChooser::addressOf(const QString &nameOrAddress) const
{
    const QString wanted = nameOrAddress.trimmed();
    for (const DeviceEntry &entry : m_devices.entries()) {
        if (entry.hostName.trimmed() == wanted || entry.ipAddress == wanted)
            return entry.ipAddress;
    }
    return QString();
}

QString UnitChooser::stepUnit(int step) const
{
    const QList<DeviceEntry> &entries = m_devices.entries();
    if (entries.isEmpty())
        return QString();
    const int count = entries.size();
    const int index = ((std::max(m_devices.currentIndex(), 0) + step) % count + count) % count;
    return entries[index].ipAddress;
}

void UnitChooser::discover()
{
    if (!hasUnit())
        return;
    const quint64 unit = m_unit;
    m_session->writer()->link()->read(
        UnitIdentity::NetworkServicesParameter, this, [this, unit](const UnitRequest &request) { listRead(unit, request); },
        "json", int(UnitIdentity::LongestServicesReply));
}

void UnitChooser::listRead(quint64 unit, const UnitRequest &request)
{
    if (unit != m_unit)
        return;
    DiscoveryReply reply;
    if (!reply.parse(request.ok ? request.value : QByteArray())) {
        qCDebug(lcDiscovery) << "JSON ERROR" << reply.errorText << "offset=" << reply.errorOffset;
        qCDebug(lcDiscovery) << reply.rewritten;
    } else {
        m_devices.setEntries(reply.entries, m_session->address());
        Q_EMIT devicesChanged();
    }
    updateGang();
    Q_EMIT discovered();
}

void UnitChooser::applyGangChoices(const QList<DeviceEntry> &edited)
{
    m_devices.applyGangChoices(edited);
    for (const DeviceEntry &entry : m_devices.entries())
        qCDebug(lcGang) << entry.hostName << entry.ganged;
    Q_EMIT devicesChanged();
    rebuildGang();
}

// The gang follows the marks: built around each new current unit once, and
// again whenever the units marked change.
void UnitChooser::updateGang()
{
    QStringList marked;
    for (const DeviceEntry &entry : m_devices.gangedEntries())
        marked << entry.hostName;
    if (!m_gangBuilt || marked != m_gang->hostNames())
        rebuildGang();
}

void UnitChooser::rebuildGang()
{
    m_gangBuilt = true;
    m_gang->rebuild(m_devices.gangedEntries());
    Q_EMIT gangRebuilt();
}

bool UnitChooser::hasUnit() const
{
    return m_session->isIdentified();
}

bool UnitChooser::isIdentifying() const
{
    return m_session->stage() == UnitSession::Stage::Identifying;
}

QString UnitChooser::address() const
{
    return m_session->address();
}

Target UnitChooser::current() const
{
    const int channel = m_channelIndex >= 0 && m_channelIndex < m_channels.size() ? m_channels[m_channelIndex].channel : 0;
    return Target{hasUnit() ? m_session->address() : QString(), channel};
}

QString UnitChooser::title() const
{
    return m_session->title();
}

QString UnitChooser::systemName() const
{
    return m_session->systemName();
}

QString UnitChooser::versionText() const
{
    return m_session->versionText();
}

QString UnitChooser::unitState(const QString &address) const
{
    if (!address.isEmpty() && address == m_session->address() && m_session->writer())
        return m_session->writer()->stateText();
    return m_gang->stateOf(address);
}

int UnitChooser::gangSize() const
{
    return m_gang->size();
}

QStringList UnitChooser::gangHostNames() const
{
    return m_gang->hostNames();
}

QString UnitChooser::gangLabel() const
{
    return m_gang->label();
}

QString UnitChooser::gangToolTip() const
{
    return m_gang->toolTip();
}

QVector<Target> UnitChooser::copyTargets(const Target &source) const
{
    QVector<Target> targets;
    if (!hasUnit() || source.unit != m_session->address())
        return targets;
    for (const Channel &other : m_channels) {
        if (other.channel != source.channel)
            targets.push_back({source.unit, other.channel});
    }
    // A ganged unit may run in either mode: every channel is offered.
    for (int i = 0; i < m_gang->size(); ++i) {
        for (int other = 0; other < PC::ChannelCount; ++other)
            targets.push_back({m_gang->member(i).link()->address(), other});
    }
    return targets;
}

UnitWriter *UnitChooser::writer() const
{
    return m_session->writer();
}
