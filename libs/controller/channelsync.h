#pragma once

#include "look.h"
#include "parameterstate.h"
#include "target.h"

#include <QObject>
#include <QSet>
#include <QTimer>
#include <QVector>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class Gang;
class UnitChooser;
struct UnitRequest;

// Keeps the units in step: holds the values of each channel of the current
// unit that has been chosen (a place), writes the user's changes to the
// current unit and the gang, and follows the current place's values with the
// periodic read-back.
//
// A place that is chosen is read first: what it reads is shown and counts as
// sent, so choosing writes nothing. Until that read is done the place is
// loading. Later read-backs take over a value changed at the unit itself and
// pass it on to the gang.
//
// A pass writes each parameter of a place whose value differs from what was
// last sent (a forced pass: every known one) to the current unit and every
// ganged unit, and holds the periodic read-back off for two seconds.
class ChannelSync : public QObject
{
    Q_OBJECT

public:
    using PC = ParameterCatalogue;
    using Values = std::vector<std::pair<int, int>>; // slot, value

    static constexpr int RefreshMs = 100;
    static constexpr int FirstHoldMs = 1000;
    static constexpr int HoldMs = 2000;

    struct Change
    {
        int slot;
        int before;
        int after;
    };

    explicit ChannelSync(UnitChooser &units, QObject *parent = nullptr);
    ~ChannelSync() override;

    void start();
    void stop();
    // Another current unit, or none: the places of the unit before are gone.
    void forgetUnit();
    // The current place was chosen: it is read, and loading until it has been.
    void load();
    // A read-back now, as the periodic one runs when the hold is off.
    void refreshNow();

    // A place of the current unit that has been chosen.
    bool holds(const Target &place) const;
    bool isLoading(const Target &place) const;
    const ParameterState &state(const Target &place) const;
    // What the window shows: the current place's values (the start values before there is one).
    const ParameterState &shown() const;
    Look look(const Target &place) const;
    // The known values of a place, in pass order.
    Values knownValues(const Target &place) const;

    // The user's values for a held place (each kept within its range), then
    // one pass of the place; the values that changed.
    std::vector<Change> change(const Target &place, const Values &values);
    // Every known value of the current place to the current unit and the
    // gang, once the place has been read.
    void forcePass();
    // The known values of a place to the gang alone; those not known are
    // matched once they are. Returns what was written.
    Values matchGang(const Target &place);
    // Values written to a unit's channel from elsewhere (a copy, a match):
    // the current unit's or a ganged unit's; a held place takes them as its own.
    void writeTo(const Target &to, const Values &values);

    bool isReading() const { return m_reading; }
    bool isHeld() const { return m_hold; }

Q_SIGNALS:
    // A shown value changed (the current place's).
    void parameterChanged(int slot, int value);
    // A pass of the current place wrote these slots, in order.
    void written(const QVector<int> &writtenSlots);
    // The place has been read since it was chosen.
    void loaded(const Target &place);
    // The hold timer ticked.
    void holdTicked(quint64 tick);

private:
    struct Place
    {
        ParameterState state;
        bool loaded = false;
        QSet<int> unmatched; // known to the gang as not matched by the last forced pass or match
    };

    Place *find(const Target &place);
    const Place *find(const Target &place) const;
    void startReadBack();
    void readPlace(quint64 cycle, const Target &place);
    void valueRead(quint64 cycle, const Target &place, int slot, quint64 userChanges, bool loading,
                   const UnitRequest &request);
    void endReadBack(quint64 cycle, const Target &place, bool read);
    void pass(const Target &place, bool force);
    void matchWhenKnown(const Target &place, int slot);
    void setUnmatched(const Target &place, const QSet<int> &unknown);
    void restartHold();
    void holdTick();
    void refreshTick();

    UnitChooser &m_units;
    QString m_unit; // the unit whose places are held
    std::map<int, Place> m_places;
    const ParameterState m_startValues;

    QTimer m_refresh;
    QTimer m_holdTimer;
    bool m_hold = true;
    quint64 m_holdTicks = 0;
    bool m_forcePending = false;

    quint64 m_cycle = 0; // counts read-backs, so replies of one given up are dropped
    // The context of the read-back's requests: replaced (and its waiting
    // reads dropped) when a read-back gives way to another.
    std::unique_ptr<QObject> m_cycleContext;
    bool m_reading = false;
    int m_readsWaiting = 0;
    int m_answered = 0;
};
