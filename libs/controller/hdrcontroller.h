#pragma once

#include "abmemory.h"
#include "deviceentry.h"
#include "input.h"
#include "look.h"
#include "lookkeeper.h"
#include "parameterstate.h"
#include "unitlinks.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <deque>
#include <memory>

class ChannelSync;
class UnitChooser;
struct UnitRequest;

// What the window shows and does, without the window. Every input (the
// window's controls, the panel, OSC, MIDI) comes in through submit(), and
// what changes goes out as signals. Three pieces do the work: UnitChooser
// chooses the current unit, its channel and the gang; ChannelSync keeps the
// units in step with the values of each place (a channel of the current
// unit); LookKeeper keeps the history and the A/B looks.
//
// An input that changes values carries the place it was made for. One that
// comes while its place is still being read (just chosen) waits for that
// read, then acts on the place's own values; one whose place was left before
// it could act is dropped. Nothing is ever computed from another place's
// values. The same rules hold whatever the source: a parameter inside the
// Adjust group changes only while Adjust is on, every value is kept within
// its range, and every change is a step of the place's history.
// Every request to a unit runs on that unit's own thread; this object never
// waits for one.
class HdrController : public QObject
{
    Q_OBJECT

public:
    using PC = ParameterCatalogue;

    // An input waits no longer than this for its place to be read, and no
    // more than this many wait.
    static constexpr int WaitLimitMs = 30000;
    static constexpr int MostWaiting = 4096;

    explicit HdrController(UnitLinks::TransportFactory transports, QObject *parent = nullptr);
    ~HdrController() override;

    // Identifies the unit at the address (as typed; it is simplified) with
    // the gang saved at the last exit, and starts the read-back.
    void start(const QString &address, const QStringList &savedGang);
    // Stops every link; waits no longer than one request's time-out.
    void shutdown();

    // The one entry point of every input.
    void submit(const Input &input);
    // The address typed; a new unit only when its simplified form differs.
    void setAddress(const QString &typed);
    void applyGangChoices(const QList<DeviceEntry> &edited);
    // Reads the current unit's list of units again.
    void discover();
    // A read-back now, as the periodic one runs when the hold is off.
    void refreshNow();
    // Every known value to the current unit and the gang, as at start-up.
    void forcePass();

    // The place inputs aim at now: the current unit and the selected channel.
    Target current() const;
    const UnitChooser &units() const { return *m_units; }
    // The current place's values as shown.
    const ParameterState &values() const;
    int value(int slot) const { return values().value(slot); }
    bool adjustOn() const { return values().sent(PC::ColorfrontMode) != 0; }
    bool isHeld() const;
    // No request waits for a unit or for a place's values, no read-back,
    // match or identification is under way.
    bool isSettled() const;

    // A place's look: its values as shown.
    Look look(const Target &place) const;
    // The looks of the current place.
    Look currentLook() const { return look(current()); }
    int undoSteps() const { return m_looks.undoSteps(current()); }
    int redoSteps() const { return m_looks.redoSteps(current()); }
    AbMemory::Which liveLook() const { return m_looks.live(current()); }
    bool liveLookChanged() const { return m_looks.liveChanged(current(), currentLook()); }
    bool hasLook(AbMemory::Which which) const { return m_looks.has(current(), which); }

Q_SIGNALS:
    // A shown value changed, by any input, the unit or a reset.
    void parameterChanged(int slot, int value);
    // A pass of the current place wrote these slots, in order.
    void written(const QVector<int> &writtenSlots);
    // The address field shows the address of a unit picked from the list.
    void addressChosen(const QString &address);
    // The hold timer ticked; the panel lays out its page every hundredth tick.
    void holdTicked(quint64 tick);
    // A reset put the sliders back.
    void resetDone();
    // The history or the A/B memories of the current place changed.
    void looksChanged();
    // The current place has been read since it was chosen: every value is as
    // the controller shows it now.
    void channelRead();

private:
    struct Waiting
    {
        Input input;
        qint64 sinceMs;
    };

    void identify(const QString &address);
    void identified();
    void placeLoaded(const Target &place);
    void channelChosen(bool changed);
    void dropWaiting(const char *why);
    static bool isGesture(const Input &input);
    void apply(const Input &input);
    // The user's values for a place, recorded in its history.
    void changeRecorded(const Target &place, const std::vector<std::pair<int, int>> &values);
    void applyLook(const Target &place, const Look &look);
    void applyStep(const Target &place, const UndoHistory::Step &step, bool undo);
    void copy(const Target &from, const QVector<Target> &to);
    // What ganged units held before a match: per unit address, per slot.
    using GangValues = QHash<QString, QHash<int, int>>;
    void matchGang(const Target &place);
    void matched(const Target &place, const GangValues &before);

    std::unique_ptr<UnitLinks> m_links;
    std::unique_ptr<UnitChooser> m_units;
    std::unique_ptr<ChannelSync> m_sync;
    LookKeeper m_looks;
    std::deque<Waiting> m_waiting;
    QElapsedTimer m_clock;
    bool m_discoverPending = false;
    // The context of a match's reads: gone (and its reads dropped) with the unit.
    std::unique_ptr<QObject> m_matchContext;
};
