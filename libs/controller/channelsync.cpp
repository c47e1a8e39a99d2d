#include "channelsync.h"

#include "gang.h"
#include "logcategories.h"
#include "unitchooser.h"
#include "unitlink.h"
#include "unitwriter.h"

#include <QDebug>

ChannelSync::ChannelSync(UnitChooser &units, QObject *parent) : QObject(parent), m_units(units)
{
    connect(&m_refresh, &QTimer::timeout, this, &ChannelSync::refreshTick);
    connect(&m_holdTimer, &QTimer::timeout, this, &ChannelSync::holdTick);
    m_holdTimer.setTimerType(Qt::CoarseTimer);
}

ChannelSync::~ChannelSync() = default;

void ChannelSync::start()
{
    m_refresh.start(RefreshMs);
    m_holdTimer.start(FirstHoldMs);
}

void ChannelSync::stop()
{
    m_refresh.stop();
    m_holdTimer.stop();
    forgetUnit();
}

void ChannelSync::forgetUnit()
{
    ++m_cycle;
    m_cycleContext.reset();
    m_reading = false;
    m_forcePending = false;
    m_places.clear();
    m_unit.clear();
}

void ChannelSync::load()
{
    const Target current = m_units.current();
    if (!current.isValid())
        return;
    if (current.unit != m_unit) {
        forgetUnit();
        m_unit = current.unit;
    }
    m_places[current.channel].loaded = false;
    startReadBack();
}

ChannelSync::Place *ChannelSync::find(const Target &place)
{
    if (place.unit.isEmpty() || place.unit != m_unit)
        return nullptr;
    const auto it = m_places.find(place.channel);
    return it == m_places.end() ? nullptr : &it->second;
}

const ChannelSync::Place *ChannelSync::find(const Target &place) const
{
    return const_cast<ChannelSync *>(this)->find(place);
}

bool ChannelSync::holds(const Target &place) const
{
    return find(place) != nullptr;
}

bool ChannelSync::isLoading(const Target &place) const
{
    const Place *held = find(place);
    return held && !held->loaded;
}

const ParameterState &ChannelSync::state(const Target &place) const
{
    const Place *held = find(place);
    return held ? held->state : m_startValues;
}

const ParameterState &ChannelSync::shown() const
{
    return state(m_units.current());
}

Look ChannelSync::look(const Target &place) const
{
    const ParameterState &values = state(place);
    Look look;
    for (int slot : PC::passOrder())
        look.values[std::size_t(slot)] = values.value(slot);
    return look;
}

ChannelSync::Values ChannelSync::knownValues(const Target &place) const
{
    const ParameterState &values = state(place);
    Values known;
    for (int slot : PC::passOrder()) {
        if (values.known(slot))
            known.emplace_back(slot, values.value(slot));
    }
    return known;
}

std::vector<ChannelSync::Change> ChannelSync::change(const Target &place, const Values &values)
{
    std::vector<Change> changes;
    Place *held = find(place);
    if (!held)
        return changes;
    const bool shownHere = place == m_units.current();
    for (const auto &[slot, value] : values) {
        const int before = held->state.value(slot);
        if (!held->state.setByUser(slot, value))
            continue;
        changes.push_back({slot, before, held->state.value(slot)});
        if (shownHere)
            Q_EMIT parameterChanged(slot, held->state.value(slot));
    }
    pass(place, false);
    return changes;
}

void ChannelSync::forcePass()
{
    const Target current = m_units.current();
    if (isLoading(current)) {
        m_forcePending = true;
        return;
    }
    if (!holds(current))
        return;
    qCDebug(lcGang) << "Forcing Update of all CF related parameters for all Prismos, current + ganged ";
    pass(current, true);
}

ChannelSync::Values ChannelSync::matchGang(const Target &place)
{
    Place *held = find(place);
    if (!held)
        return {};
    const Values known = knownValues(place);
    for (const auto &[slot, value] : known)
        m_units.gang().write(PC::parameterName(place.channel, slot), PC::wireText(slot, value));
    QSet<int> unknown;
    for (int slot : PC::passOrder()) {
        if (!held->state.known(slot))
            unknown.insert(slot);
    }
    setUnmatched(place, unknown);
    return known;
}

void ChannelSync::writeTo(const Target &to, const Values &values)
{
    UnitWriter *writer = to.unit == m_units.address() ? m_units.writer() : m_units.gang().writerFor(to.unit);
    if (!writer)
        return;
    Place *held = find(to);
    for (const auto &[slot, value] : values) {
        writer->write(PC::parameterName(to.channel, slot), PC::wireText(slot, value));
        if (held && held->state.takeLoaded(slot, value) && to == m_units.current())
            Q_EMIT parameterChanged(slot, held->state.value(slot));
    }
}

void ChannelSync::pass(const Target &place, bool force)
{
    Place *held = find(place);
    UnitWriter *writer = m_units.writer();
    if (!held || !writer)
        return;
    const std::vector<int> writtenSlots = held->state.pass(force);
    for (int slot : writtenSlots) {
        const QByteArray name = PC::parameterName(place.channel, slot);
        const QByteArray text = PC::wireText(slot, held->state.value(slot));
        writer->write(name, text);
        m_units.gang().write(name, text);
    }
    if (force) {
        QSet<int> unknown;
        for (int slot : PC::passOrder()) {
            if (!held->state.known(slot))
                unknown.insert(slot);
        }
        setUnmatched(place, unknown);
    }
    if (!writtenSlots.empty() && place == m_units.current())
        Q_EMIT written(QVector<int>(writtenSlots.begin(), writtenSlots.end()));
    restartHold();
}

void ChannelSync::setUnmatched(const Target &place, const QSet<int> &unknown)
{
    Place *held = find(place);
    if (!held)
        return;
    held->unmatched = unknown;
    if (m_units.gangSize() == 0)
        held->unmatched.clear();
    if (place == m_units.current())
        m_units.gang().setUnmatched(held->unmatched.size());
}

// A value the last match had to leave out reaches the gang once it is known:
// here when the pass that follows the read would not write it.
void ChannelSync::matchWhenKnown(const Target &place, int slot)
{
    Place *held = find(place);
    if (!held || !held->unmatched.contains(slot) || !held->state.known(slot))
        return;
    if (held->state.value(slot) == held->state.sent(slot))
        m_units.gang().write(PC::parameterName(place.channel, slot), PC::wireText(slot, held->state.value(slot)));
    QSet<int> left = held->unmatched;
    left.remove(slot);
    setUnmatched(place, left);
}

void ChannelSync::restartHold()
{
    m_hold = true;
    m_holdTimer.start(HoldMs);
}

void ChannelSync::holdTick()
{
    Q_EMIT holdTicked(m_holdTicks);
    m_hold = false;
    ++m_holdTicks;
}

void ChannelSync::refreshTick()
{
    if (m_hold || m_reading || !m_units.hasUnit())
        return;
    startReadBack();
}

void ChannelSync::refreshNow()
{
    if (m_units.hasUnit() && !m_reading)
        startReadBack();
}

// A unit that missed writes while it did not answer gets them before it is
// read again; otherwise its stale values would be read back and spread to the gang.
void ChannelSync::startReadBack()
{
    UnitWriter *writer = m_units.writer();
    const Target current = m_units.current();
    if (!writer || !holds(current))
        return;
    if (m_cycleContext)
        writer->link()->dropReads(m_cycleContext.get());
    m_cycleContext = std::make_unique<QObject>();
    const quint64 cycle = ++m_cycle;
    m_reading = true;
    writer->catchUp([this, cycle, current](bool done) {
        if (cycle != m_cycle)
            return;
        if (done)
            readPlace(cycle, current);
        else
            endReadBack(cycle, current, false);
    });
}

void ChannelSync::readPlace(quint64 cycle, const Target &place)
{
    Place *held = find(place);
    if (!held)
        return;
    const bool loading = !held->loaded;
    m_readsWaiting = int(PC::readOrder().size());
    m_answered = 0;
    UnitLink *link = m_units.writer()->link();
    for (int slot : PC::readOrder()) {
        const quint64 changes = held->state.userChanges(slot);
        link->read(PC::parameterName(place.channel, slot), m_cycleContext.get(),
                   [this, cycle, place, slot, changes, loading](const UnitRequest &request) {
                       valueRead(cycle, place, slot, changes, loading, request);
                   });
    }
}

void ChannelSync::valueRead(quint64 cycle, const Target &place, int slot, quint64 userChanges, bool loading,
                            const UnitRequest &request)
{
    Place *held = find(place);
    if (cycle != m_cycle || !held)
        return;
    m_answered += request.answered ? 1 : 0;
    const bool current = place == m_units.current();
    // A reply to a read sent before the user's latest change would undo it.
    if (held->state.userChanges(slot) == userChanges) {
        if (loading) {
            held->state.takeLoaded(slot, request.ok ? PC::fromWire(slot, request.value) : std::nullopt);
            if (current)
                Q_EMIT parameterChanged(slot, held->state.value(slot));
        } else if (request.ok && held->state.takeFromUnit(slot, PC::fromWire(slot, request.value))) {
            if (current)
                Q_EMIT parameterChanged(slot, held->state.value(slot));
            matchWhenKnown(place, slot);
            pass(place, false);
        } else if (request.ok) {
            matchWhenKnown(place, slot);
        }
    }
    if (--m_readsWaiting == 0)
        endReadBack(cycle, place, true);
}

// A place is loaded once a read of it was answered; one its unit did not
// answer at all stays loading, and the next tick reads it again.
void ChannelSync::endReadBack(quint64 cycle, const Target &place, bool read)
{
    Place *held = find(place);
    if (cycle != m_cycle || !held)
        return;
    m_reading = false;
    if (held->loaded) {
        pass(place, false);
        m_units.gang().poll(PC::parameterName(place.channel, PC::ColorfrontMode));
        return;
    }
    if (!read || m_answered == 0) {
        restartHold();
        return;
    }
    held->loaded = true;
    restartHold();
    if (m_forcePending && place == m_units.current()) {
        m_forcePending = false;
        forcePass();
    }
    Q_EMIT loaded(place);
}
