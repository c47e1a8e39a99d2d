#include "hdrcontroller.h"

#include "channelsync.h"
#include "gang.h"
#include "logcategories.h"
#include "unitchooser.h"
#include "unitlink.h"

#include <QDebug>
#include <QHash>

#include <algorithm>
#include <climits>
#include <map>

namespace {
// A value read from a ganged unit before a match, so the match can be undone:
// none when the unit gave no value the window could show.
std::optional<int> valueOf(int slot, const UnitRequest &request)
{
    if (!request.ok)
        return std::nullopt;
    const std::optional<int> value = ParameterCatalogue::fromWire(slot, request.value);
    const ParameterCatalogue::SlotInfo &info = ParameterCatalogue::slot(slot);
    if (!value || *value < info.minimum || *value > info.maximum)
        return std::nullopt;
    return value;
}
} // namespace

HdrController::HdrController(UnitLinks::TransportFactory transports, QObject *parent)
    : QObject(parent), m_links(std::make_unique<UnitLinks>(std::move(transports))),
      m_units(std::make_unique<UnitChooser>(*m_links)), m_sync(std::make_unique<ChannelSync>(*m_units))
{
    m_clock.start();
    connect(m_units.get(), &UnitChooser::identified, this, &HdrController::identified);
    connect(m_units.get(), &UnitChooser::gangRebuilt, this, [this] {
        if (m_units->gangSize() > 0)
            m_sync->forcePass();
    });
    connect(m_sync.get(), &ChannelSync::loaded, this, &HdrController::placeLoaded);
    connect(m_sync.get(), &ChannelSync::parameterChanged, this, &HdrController::parameterChanged);
    connect(m_sync.get(), &ChannelSync::written, this, &HdrController::written);
    connect(m_sync.get(), &ChannelSync::holdTicked, this, &HdrController::holdTicked);
}

HdrController::~HdrController()
{
    shutdown();
}

void HdrController::start(const QString &address, const QStringList &savedGang)
{
    m_units->setSavedGang(savedGang);
    m_sync->start();
    identify(address.simplified());
}

void HdrController::shutdown()
{
    m_sync->stop();
    m_waiting.clear();
    m_matchContext.reset();
    m_units->close();
    m_links->closeAll();
}

Target HdrController::current() const
{
    return m_units->current();
}

const ParameterState &HdrController::values() const
{
    return m_sync->shown();
}

bool HdrController::isHeld() const
{
    return m_sync->isHeld();
}

bool HdrController::isSettled() const
{
    return !m_sync->isReading() && m_links->waiting() == 0 && !m_units->isIdentifying() && m_waiting.empty();
}

Look HdrController::look(const Target &place) const
{
    return m_sync->look(place);
}

void HdrController::refreshNow()
{
    m_sync->refreshNow();
}

void HdrController::forcePass()
{
    m_sync->forcePass();
}

void HdrController::discover()
{
    m_units->discover();
}

void HdrController::setAddress(const QString &typed)
{
    const QString address = typed.simplified();
    if (address != m_units->address())
        identify(address);
}

void HdrController::applyGangChoices(const QList<DeviceEntry> &edited)
{
    m_units->applyGangChoices(edited);
}

void HdrController::identify(const QString &address)
{
    m_matchContext.reset();
    m_discoverPending = false;
    m_sync->forgetUnit();
    m_units->open(address);
    dropWaiting("another unit was chosen");
    Q_EMIT looksChanged();
}

void HdrController::identified()
{
    m_discoverPending = true;
    m_sync->load();
    Q_EMIT looksChanged();
}

// The list of units is read once the unit's first channel has been read.
void HdrController::placeLoaded(const Target &place)
{
    std::deque<Waiting> waiting;
    waiting.swap(m_waiting);
    const qint64 now = m_clock.elapsed();
    for (Waiting &entry : waiting) {
        if (entry.input.target != place) {
            m_waiting.push_back(std::move(entry));
        } else if (now - entry.sinceMs > WaitLimitMs && !isGesture(entry.input)) {
            qCDebug(lcGang) << "an input waited too long for its channel's values and was dropped";
        } else {
            apply(entry.input);
        }
    }
    if (place == current()) {
        Q_EMIT channelRead();
        Q_EMIT looksChanged();
    }
    if (m_discoverPending) {
        m_discoverPending = false;
        m_units->discover();
    }
}

void HdrController::channelChosen(bool changed)
{
    if (!changed)
        return;
    dropWaiting("another channel was chosen");
    Q_EMIT looksChanged();
    if (m_units->hasUnit())
        m_sync->load();
}

// Inputs waiting for a place that is no longer the current one can never act
// on it; the history's gestures among them still begin and end.
void HdrController::dropWaiting(const char *why)
{
    const Target now = current();
    std::deque<Waiting> waiting;
    waiting.swap(m_waiting);
    int dropped = 0;
    for (Waiting &entry : waiting) {
        if (entry.input.target == now && m_sync->isLoading(now))
            m_waiting.push_back(std::move(entry));
        else if (isGesture(entry.input))
            apply(entry.input);
        else
            ++dropped;
    }
    if (dropped > 0)
        qCDebug(lcGang) << dropped << "input(s) dropped:" << why << "before their channel's values were read";
}

void HdrController::submit(const Input &input)
{
    using K = Input::Kind;
    switch (input.kind) {
    case K::SelectChannel:
        channelChosen(m_units->selectChannel(input.value));
        return;
    case K::StepChannel:
        channelChosen(m_units->stepChannel(input.value));
        return;
    case K::SelectUnit:
    case K::StepUnit: {
        const QString address = input.kind == K::SelectUnit ? m_units->addressOf(input.text) : m_units->stepUnit(input.value);
        if (address.isEmpty())
            return;
        Q_EMIT addressChosen(address);
        identify(address);
        return;
    }
    default:
        break;
    }
    if (input.target == current() && m_sync->isLoading(input.target)) {
        if (m_waiting.size() >= std::size_t(MostWaiting)) {
            qCDebug(lcGang) << "too many inputs wait for a channel's values; one was dropped";
            return;
        }
        m_waiting.push_back({input, m_clock.elapsed()});
        return;
    }
    if (isGesture(input) || (m_sync->holds(input.target) && !m_sync->isLoading(input.target)))
        apply(input);
}

bool HdrController::isGesture(const Input &input)
{
    return input.kind == Input::Kind::BeginGesture || input.kind == Input::Kind::EndGesture;
}

void HdrController::apply(const Input &input)
{
    using K = Input::Kind;
    if (input.kind == K::BeginGesture || input.kind == K::EndGesture) {
        if (input.kind == K::BeginGesture)
            m_looks.beginGesture();
        else
            m_looks.endGesture();
        return;
    }
    const Target &place = input.target;
    const ParameterState &state = m_sync->state(place);
    const bool adjust = state.sent(PC::ColorfrontMode) != 0;
    const bool slotInput = input.kind == K::Set || input.kind == K::Nudge || input.kind == K::Toggle || input.kind == K::Reset;
    if (slotInput && (input.slot < 0 || input.slot >= PC::SlotCount || PC::slot(input.slot).kind == PC::Kind::Unbound
                      || !PC::changeable(input.slot, adjust)))
        return;
    switch (input.kind) {
    case K::Set:
        changeRecorded(place, {{input.slot, input.value}});
        break;
    case K::Nudge: {
        const qint64 sum = qint64(state.value(input.slot)) + input.value;
        changeRecorded(place, {{input.slot, int(qBound(qint64(INT_MIN), sum, qint64(INT_MAX)))}});
        break;
    }
    case K::Toggle:
        if (PC::slot(input.slot).kind == PC::Kind::Switch)
            changeRecorded(place, {{input.slot, state.value(input.slot) ? 0 : 1}});
        break;
    case K::Reset:
        if (PC::slot(input.slot).resetPosition != PC::NoReset)
            changeRecorded(place, {{input.slot, PC::slot(input.slot).resetPosition}});
        break;
    case K::ResetAll: {
        if (!adjust)
            return;
        std::vector<std::pair<int, int>> values;
        for (int slot : PC::resetOrder())
            values.emplace_back(slot, PC::slot(slot).resetPosition);
        m_looks.beginGesture();
        changeRecorded(place, values);
        m_looks.endGesture();
        if (place == current())
            Q_EMIT resetDone();
        break;
    }
    case K::Undo:
    case K::Redo:
        if (const std::optional<UndoHistory::Step> step =
                input.kind == K::Undo ? m_looks.undo(place) : m_looks.redo(place))
            applyStep(place, *step, input.kind == K::Undo);
        break;
    case K::StoreA:
    case K::StoreB:
        m_looks.store(place, input.kind == K::StoreA ? AbMemory::Which::A : AbMemory::Which::B, m_sync->look(place));
        Q_EMIT looksChanged();
        break;
    case K::ToggleLooks:
        if (const std::optional<Look> look = m_looks.toggle(place))
            applyLook(place, *look);
        break;
    case K::RecallLook:
        applyLook(place, input.look);
        break;
    case K::Copy:
        copy(place, input.copyTo);
        break;
    case K::MatchGang:
        matchGang(place);
        break;
    default:
        break;
    }
}

void HdrController::changeRecorded(const Target &place, const std::vector<std::pair<int, int>> &values)
{
    const std::vector<ChannelSync::Change> changes = m_sync->change(place, values);
    for (const ChannelSync::Change &change : changes)
        m_looks.record(place, change.slot, change.before, change.after);
    if (!changes.empty())
        Q_EMIT looksChanged();
}

// Only what differs is written, in one pass and as one step of the history.
void HdrController::applyLook(const Target &place, const Look &look)
{
    std::vector<std::pair<int, int>> values;
    for (int slot : m_sync->look(place).differences(look))
        values.emplace_back(slot, look.values[std::size_t(slot)]);
    m_looks.beginGesture();
    changeRecorded(place, values);
    m_looks.endGesture();
    Q_EMIT looksChanged();
}

void HdrController::applyStep(const Target &place, const UndoHistory::Step &step, bool undo)
{
    std::vector<std::pair<int, int>> own;
    std::map<QString, std::vector<std::pair<int, int>>> ganged;
    const auto take = [&](const UndoHistory::Change &change) {
        const int value = undo ? change.before : change.after;
        if (change.unit.isEmpty())
            own.emplace_back(change.slot, value);
        else
            ganged[change.unit].emplace_back(change.slot, value);
    };
    if (undo)
        std::for_each(step.rbegin(), step.rend(), take);
    else
        std::for_each(step.begin(), step.end(), take);
    m_sync->change(place, own);
    for (const auto &[unit, values] : ganged)
        m_sync->writeTo({unit, place.channel}, values);
    Q_EMIT looksChanged();
}

void HdrController::copy(const Target &from, const QVector<Target> &to)
{
    const Look look = m_sync->look(from);
    for (const Target &target : to) {
        ChannelSync::Values values;
        for (int slot : PC::passOrder()) {
            // The monitor's parameter is the same on every channel of a unit.
            if (slot == PC::MonDynRange && target.unit == from.unit)
                continue;
            values.emplace_back(slot, look.values[std::size_t(slot)]);
        }
        m_sync->writeTo(target, values);
    }
}

// The ganged units' values are read first, so the match can be undone.
void HdrController::matchGang(const Target &place)
{
    const int members = m_units->gangSize();
    if (members == 0)
        return;
    auto before = std::make_shared<GangValues>();
    auto waiting = std::make_shared<int>(members * int(PC::passOrder().size()));
    m_matchContext = std::make_unique<QObject>();
    for (int slot : PC::passOrder()) {
        m_units->gang().read(PC::parameterName(place.channel, slot), m_matchContext.get(),
                             [this, before, waiting, slot, place](const QString &address, const UnitRequest &request) {
                                 if (const std::optional<int> value = valueOf(slot, request))
                                     (*before)[address].insert(slot, *value);
                                 if (--*waiting == 0)
                                     matched(place, *before);
                             });
    }
}

void HdrController::matched(const Target &place, const GangValues &before)
{
    if (!m_sync->holds(place))
        return;
    UndoHistory::Step step;
    for (const auto &[slot, value] : m_sync->matchGang(place)) {
        for (auto unit = before.cbegin(); unit != before.cend(); ++unit) {
            const auto was = unit->constFind(slot);
            if (was != unit->constEnd() && *was != value)
                step.push_back({slot, *was, value, unit.key()});
        }
    }
    m_looks.recordStep(place, std::move(step));
    Q_EMIT looksChanged();
}
