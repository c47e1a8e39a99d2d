#include "hdrcontroller.h"
#include "logcategories.h"

#include "discoveryreply.h"
#include "gang.h"
#include "unitidentity.h"
#include "unitlink.h"
#include "unitsession.h"
#include "unitwriter.h"

#include <QDebug>

HdrController::HdrController(UnitLinks::TransportFactory transports, QObject *parent)
    : QObject(parent), m_links(std::make_unique<UnitLinks>(std::move(transports))),
      m_session(std::make_unique<UnitSession>(*m_links)), m_gang(std::make_unique<Gang>(*m_links))
{
    connect(m_session.get(), &UnitSession::identified, this, &HdrController::identified);
    connect(m_session.get(), &UnitSession::refused, this, &HdrController::updateGang);
    connect(m_session.get(), &UnitSession::titleChanged, this, [this](const QString &title) {
        Q_EMIT titleChanged(title);
        Q_EMIT devicesChanged();
    });
    connect(m_gang.get(), &Gang::changed, this, [this] {
        Q_EMIT gangChanged();
        Q_EMIT devicesChanged();
    });
    connect(&m_refresh, &QTimer::timeout, this, &HdrController::refreshTick);
    connect(&m_holdTimer, &QTimer::timeout, this, &HdrController::holdTick);
    m_holdTimer.setTimerType(Qt::CoarseTimer);
    m_clock.start();
}

HdrController::~HdrController()
{
    shutdown();
}

void HdrController::start(const QString &address, const QStringList &savedGang)
{
    m_devices.setSavedGang(savedGang);
    m_refresh.start(RefreshMs);
    m_holdTimer.start(FirstHoldMs);
    identify(address.simplified());
}

void HdrController::shutdown()
{
    m_refresh.stop();
    m_holdTimer.stop();
    m_cycleContext.reset();
    m_gang->rebuild({});
    m_session->close();
    m_links->closeAll();
}

bool HdrController::hasUnit() const
{
    return m_session->isIdentified();
}

QString HdrController::currentAddress() const
{
    return m_session->address();
}

QString HdrController::title() const
{
    return m_session->title();
}

QString HdrController::systemName() const
{
    return m_session->systemName();
}

QString HdrController::versionText() const
{
    return m_session->versionText();
}

QString HdrController::unitState(const QString &address) const
{
    if (!address.isEmpty() && address == m_session->address() && m_session->writer())
        return m_session->writer()->stateText();
    return m_gang->stateOf(address);
}

int HdrController::channel() const
{
    return m_channelIndex >= 0 && m_channelIndex < m_channels.size() ? m_channels[m_channelIndex].channel : 0;
}

void HdrController::setParameter(int slot, int value)
{
    if (!hasUnit())
        return;
    if (setRecorded(slot, value))
        Q_EMIT looksChanged();
    writePass(false);
}

bool HdrController::setRecorded(int slot, int value)
{
    const int before = m_state.value(slot);
    if (!m_state.setByUser(slot, value))
        return false;
    m_history.record(historyKey(), slot, before, m_state.value(slot), m_clock.elapsed());
    Q_EMIT parameterChanged(slot, m_state.value(slot));
    return true;
}

// One pass writes the reset slots in reset order: the pass order lists them so.
void HdrController::resetValues()
{
    if (!hasUnit() || !adjustOn())
        return;
    beginGesture();
    bool changed = false;
    for (int slot : PC::resetOrder())
        changed = setRecorded(slot, PC::slot(slot).resetPosition) || changed;
    endGesture();
    writePass(false);
    if (changed)
        Q_EMIT looksChanged();
    Q_EMIT resetDone();
}

QString HdrController::historyKey() const
{
    return m_session->address() + QLatin1Char('/') + QString::number(channel());
}

void HdrController::beginGesture()
{
    m_history.beginGesture();
}

void HdrController::endGesture()
{
    m_history.endGesture();
}

Look HdrController::currentLook() const
{
    Look look;
    for (int slot : PC::passOrder())
        look.values[std::size_t(slot)] = m_state.value(slot);
    return look;
}

bool HdrController::liveLookChanged() const
{
    const std::optional<Look> live = m_ab.look(historyKey(), m_ab.live(historyKey()));
    return live && *live != currentLook();
}

void HdrController::applyValues(const std::vector<std::pair<int, int>> &values)
{
    for (const auto &[slot, value] : values) {
        if (m_state.setByUser(slot, value))
            Q_EMIT parameterChanged(slot, m_state.value(slot));
    }
    writePass(false);
    Q_EMIT looksChanged();
}

void HdrController::undo()
{
    if (!hasUnit())
        return;
    if (const std::optional<UndoHistory::Step> step = m_history.undo(historyKey())) {
        std::vector<std::pair<int, int>> values;
        for (auto change = step->rbegin(); change != step->rend(); ++change)
            values.emplace_back(change->slot, change->before);
        applyValues(values);
    }
}

void HdrController::redo()
{
    if (!hasUnit())
        return;
    if (const std::optional<UndoHistory::Step> step = m_history.redo(historyKey())) {
        std::vector<std::pair<int, int>> values;
        for (const UndoHistory::Change &change : *step)
            values.emplace_back(change.slot, change.after);
        applyValues(values);
    }
}

void HdrController::storeLook(AbMemory::Which which)
{
    if (!hasUnit())
        return;
    m_ab.store(historyKey(), which, currentLook());
    Q_EMIT looksChanged();
}

void HdrController::toggleLooks()
{
    const AbMemory::Which target = m_ab.toggleTarget(historyKey());
    if (!hasUnit() || target == AbMemory::Which::None)
        return;
    m_ab.setLive(historyKey(), target);
    applyLook(*m_ab.look(historyKey(), target));
}

void HdrController::applyLook(const Look &look)
{
    if (!hasUnit())
        return;
    beginGesture();
    for (int slot : currentLook().differences(look))
        setRecorded(slot, look.values[std::size_t(slot)]);
    endGesture();
    writePass(false);
    Q_EMIT looksChanged();
}

QVector<HdrController::CopyTarget> HdrController::copyTargets() const
{
    QVector<CopyTarget> targets;
    if (!hasUnit())
        return targets;
    for (const Channel &other : m_channels) {
        if (other.channel != channel())
            targets.push_back({m_session->address(), other.channel});
    }
    // A ganged unit may run in either mode: every channel is offered.
    for (int i = 0; i < m_gang->size(); ++i) {
        for (int other = 0; other < PC::ChannelCount; ++other)
            targets.push_back({m_gang->member(i).link()->address(), other});
    }
    return targets;
}

void HdrController::copyChannel(const QVector<CopyTarget> &targets)
{
    if (!hasUnit())
        return;
    const Look look = currentLook();
    for (const CopyTarget &target : targets) {
        UnitWriter *writer = target.address == m_session->address() ? m_session->writer() : m_gang->writerFor(target.address);
        if (!writer)
            continue;
        for (int slot : PC::passOrder()) {
            // The monitor's parameter is the same on every channel.
            if (slot == PC::MonDynRange && target.address == m_session->address())
                continue;
            writer->write(PC::parameterName(target.channel, slot), PC::wireText(slot, look.values[std::size_t(slot)]));
        }
    }
}

void HdrController::writePass(bool force)
{
    if (!hasUnit())
        return;
    if (force)
        qCDebug(lcGang) << "Forcing Update of all CF related parameters for all Prismos, current + ganged ";
    const std::vector<int> writtenSlots = m_state.pass(force);
    for (int slot : writtenSlots) {
        const QByteArray name = PC::parameterName(channel(), slot);
        const QByteArray text = PC::wireText(slot, m_state.value(slot));
        m_session->writer()->write(name, text);
        m_gang->write(name, text);
    }
    if (!writtenSlots.empty())
        Q_EMIT written(QVector<int>(writtenSlots.begin(), writtenSlots.end()));
    restartHold();
}

void HdrController::restartHold()
{
    m_hold = true;
    m_holdTimer.start(HoldMs);
}

void HdrController::holdTick()
{
    Q_EMIT holdTicked(m_holdTicks);
    m_hold = false;
    ++m_holdTicks;
}

void HdrController::refreshTick()
{
    if (m_hold || m_reading || !hasUnit())
        return;
    startReadBack(Then::PollGang);
}

void HdrController::refreshNow()
{
    if (hasUnit() && !m_reading)
        startReadBack(Then::PollGang);
}

bool HdrController::isSettled() const
{
    const UnitSession::Stage stage = m_session->stage();
    return !m_reading && m_links->waiting() == 0 && stage != UnitSession::Stage::Identifying;
}

void HdrController::selectChannel(int index)
{
    if (index == m_channelIndex)
        return;
    m_channelIndex = index;
    Q_EMIT channelsChanged();
    Q_EMIT looksChanged();
    if (hasUnit())
        startReadBack(m_then == Then::Discover ? Then::Discover : Then::Nothing);
}

void HdrController::selectDevice(int index)
{
    const QList<DeviceEntry> &entries = m_devices.entries();
    if (index < 0 || index >= entries.size())
        return;
    const QString address = entries[index].ipAddress;
    Q_EMIT addressChosen(address);
    identify(address);
}

void HdrController::setAddress(const QString &typed)
{
    const QString address = typed.simplified();
    if (address == m_session->address())
        return;
    identify(address);
}

void HdrController::applyGangChoices(const QList<DeviceEntry> &edited)
{
    m_devices.applyGangChoices(edited);
    for (const DeviceEntry &entry : m_devices.entries())
        qCDebug(lcGang) << entry.hostName << entry.ganged;
    Q_EMIT devicesChanged();
    rebuildGang();
}

void HdrController::identify(const QString &address)
{
    ++m_unit;
    ++m_cycle;
    m_cycleContext.reset();
    m_reading = false;
    m_then = Then::Nothing;
    m_state.forgetUnit();
    m_readChannel = -1;
    m_session->open(address);
    m_devices.setCurrentAddress(m_session->address());
    Q_EMIT devicesChanged();
}

void HdrController::identified()
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
    Q_EMIT looksChanged();
    startReadBack(Then::Discover);
}

// A unit that missed writes while it did not answer gets them before it is
// read again; otherwise its stale values would be read back and spread to the gang.
void HdrController::startReadBack(Then then)
{
    UnitWriter *writer = m_session->writer();
    if (!writer)
        return;
    if (m_cycleContext)
        writer->link()->dropReads(m_cycleContext.get());
    m_cycleContext = std::make_unique<QObject>();
    const quint64 cycle = ++m_cycle;
    m_reading = true;
    m_then = then;
    writer->catchUp([this, cycle](bool done) {
        if (cycle != m_cycle)
            return;
        if (done)
            readChannelValues(cycle);
        else
            endReadBack(cycle, false);
    });
}

void HdrController::readChannelValues(quint64 cycle)
{
    const int current = channel();
    if (current != m_readChannel) {
        m_state.forgetUnit();
        m_readChannel = current;
    }
    m_readsWaiting = int(PC::readOrder().size());
    UnitLink *link = m_session->writer()->link();
    for (int slot : PC::readOrder()) {
        const quint64 changes = m_state.userChanges(slot);
        link->read(PC::parameterName(current, slot), m_cycleContext.get(),
                   [this, cycle, slot, changes](const UnitRequest &request) { valueRead(cycle, slot, changes, request); });
    }
}

void HdrController::valueRead(quint64 cycle, int slot, quint64 userChanges, const UnitRequest &request)
{
    if (cycle != m_cycle)
        return;
    // A reply to a read sent before the user's latest change would undo it.
    if (request.ok && m_state.userChanges(slot) == userChanges) {
        if (m_state.takeFromUnit(slot, PC::fromWire(slot, request.value))) {
            Q_EMIT parameterChanged(slot, m_state.value(slot));
            writePass(false);
        }
    }
    if (--m_readsWaiting == 0)
        endReadBack(cycle, true);
}

void HdrController::endReadBack(quint64 cycle, bool read)
{
    if (cycle != m_cycle)
        return;
    m_reading = false;
    writePass(false);
    const Then then = m_then;
    m_then = Then::Nothing;
    if (read && then != Then::PollGang)
        Q_EMIT channelRead();
    if (then == Then::Discover)
        discover();
    else if (then == Then::PollGang)
        m_gang->poll(PC::parameterName(channel(), PC::ColorfrontMode));
}

void HdrController::discover()
{
    if (!hasUnit())
        return;
    const quint64 unit = m_unit;
    m_session->writer()->link()->read(
        UnitIdentity::NetworkServicesParameter, this, [this, unit](const UnitRequest &request) { listRead(unit, request); },
        "json", int(UnitIdentity::LongestServicesReply));
}

void HdrController::listRead(quint64 unit, const UnitRequest &request)
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

// The gang follows the marks: rebuilt when the units marked changed, and
// once at start-up, each time ending in a forced pass.
void HdrController::updateGang()
{
    QStringList marked;
    for (const DeviceEntry &entry : m_devices.gangedEntries())
        marked << entry.hostName;
    if (!m_gangBuilt || marked != m_gang->hostNames())
        rebuildGang();
}

void HdrController::rebuildGang()
{
    m_gangBuilt = true;
    m_gang->rebuild(m_devices.gangedEntries());
    if (m_gang->size() > 0)
        writePass(true);
}
