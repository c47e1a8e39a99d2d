#pragma once

#include "abmemory.h"
#include "devicedirectory.h"
#include "look.h"
#include "parameterstate.h"
#include "undohistory.h"
#include "unitlinks.h"

#include <QElapsedTimer>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>

class Gang;
class UnitSession;
struct UnitRequest;

// What the window shows and does, without the window: the parameters of the
// current channel, the current unit, the gang and the units the current unit
// knows of. Requests come in as calls; what changes goes out as signals.
// Every request to a unit runs on that unit's own thread; this object never
// waits for one.
//
// A pass writes each parameter whose value differs from what was last sent
// (a forced pass: every parameter whose value is known) to the current unit
// and then to every ganged unit, and holds the periodic read-back off for
// two seconds. The read-back reads the current channel from the current unit
// when the hold is off, applies each reply as it arrives (unless the user
// changed that parameter after the read was sent), and so spreads a change
// made at the unit to the gang.
class HdrController : public QObject
{
    Q_OBJECT

public:
    using PC = ParameterCatalogue;

    static constexpr int RefreshMs = 100;
    static constexpr int FirstHoldMs = 1000;
    static constexpr int HoldMs = 2000;

    struct Channel
    {
        QString text;
        int channel;
    };

    explicit HdrController(UnitLinks::TransportFactory transports, QObject *parent = nullptr);
    ~HdrController() override;

    // Identifies the unit at the address (as typed; it is simplified) with
    // the gang saved at the last exit, and starts the read-back.
    void start(const QString &address, const QStringList &savedGang);
    // Stops every link; waits no longer than one request's time-out.
    void shutdown();

    // The current unit.
    bool hasUnit() const;
    QString currentAddress() const;
    QString title() const;
    QString systemName() const;
    QString versionText() const;
    QString unitState(const QString &address) const;

    // The parameters of the current channel.
    const ParameterState &parameters() const { return m_state; }
    int value(int slot) const { return m_state.value(slot); }
    bool adjustOn() const { return m_state.sent(PC::ColorfrontMode) != 0; }
    bool isHeld() const { return m_hold; }
    // No request waits for a unit, no read-back or identification is under way.
    bool isSettled() const;

    // The channel list and its selection.
    const QVector<Channel> &channels() const { return m_channels; }
    int channelIndex() const { return m_channelIndex; }
    // The channel in force: the selected entry's, channel 0 with none.
    int channel() const;

    // The looks: the history of the user's changes and the A/B memories of
    // the current channel of the current unit.
    Look currentLook() const;
    int undoSteps() const { return m_history.undoSteps(historyKey()); }
    int redoSteps() const { return m_history.redoSteps(historyKey()); }
    AbMemory::Which liveLook() const { return m_ab.live(historyKey()); }
    // The live look's values differ from what the controls show.
    bool liveLookChanged() const;
    bool hasLook(AbMemory::Which which) const { return m_ab.look(historyKey(), which).has_value(); }

    // A unit to copy a channel to: its address (the current unit's or a
    // ganged unit's) and the channel.
    struct CopyTarget
    {
        QString address;
        int channel;
    };
    // The units a channel can be copied to with their channels: the current
    // unit's other channels, then every channel of each ganged unit.
    QVector<CopyTarget> copyTargets() const;

    // The units the current unit knows of, and the gang.
    const DeviceDirectory &devices() const { return m_devices; }
    const Gang &gang() const { return *m_gang; }
    QStringList gangNamesToSave() const { return m_devices.gangNames(); }

public Q_SLOTS:
    // The user set a control. Ignored without a current unit.
    void setParameter(int slot, int value);
    // The sliders back to their reset positions, when Adjust is on.
    void resetValues();
    // A pass over every parameter (valueChanged of the window).
    void writePass(bool force = false);
    void selectChannel(int index);
    // The device list's entry becomes the current unit (even when it already is).
    void selectDevice(int index);
    // The address typed; a new unit only when its simplified form differs.
    void setAddress(const QString &typed);
    void applyGangChoices(const QList<DeviceEntry> &edited);
    // Reads the current unit's list of units again.
    void discover();
    // A read-back now, as the periodic one runs when the hold is off.
    void refreshNow();

    // Every change between the two is one step of the history (a slider drag).
    void beginGesture();
    void endGesture();
    void undo();
    void redo();
    void storeLook(AbMemory::Which which);
    // Puts the other stored look on the units, in one pass.
    void toggleLooks();
    // Puts a look on the current channel of the current unit and the gang,
    // in one pass and as one step of the history.
    void applyLook(const Look &look);
    // Writes the current channel's look to each target's channel.
    void copyChannel(const QVector<CopyTarget> &targets);

Q_SIGNALS:
    // A parameter's shown value changed, by the user, the unit or a reset.
    void parameterChanged(int slot, int value);
    // A pass wrote these slots, in order.
    void written(const QVector<int> &writtenSlots);
    void titleChanged(const QString &title);
    void channelsChanged();
    // The device list, its selection or its marks.
    void devicesChanged();
    // The address field shows the address of a unit picked from the list.
    void addressChosen(const QString &address);
    void gangChanged();
    // The hold timer ticked; the panel lays out its page every hundredth tick.
    void holdTicked(quint64 tick);
    // Discovery ended (the list may be unchanged).
    void discovered();
    // A reset put the sliders back.
    void resetDone();
    // The history or the A/B memories of the current channel changed.
    void looksChanged();
    // The channel of a new unit, or a newly chosen channel, has been read:
    // every value is as the controller shows it now.
    void channelRead();

private:
    // What follows a read-back of the channel.
    enum class Then { Nothing, PollGang, Discover };

    void identify(const QString &address);
    void identified();
    void startReadBack(Then then);
    void readChannelValues(quint64 cycle);
    void valueRead(quint64 cycle, int slot, quint64 userChanges, const UnitRequest &request);
    void endReadBack(quint64 cycle, bool read);
    void listRead(quint64 unit, const UnitRequest &request);
    void updateGang();
    void rebuildGang();
    QString historyKey() const;
    // The user set a slot: recorded in the history and shown, not written.
    // Returns whether the value changed.
    bool setRecorded(int slot, int value);
    // Sets the values as the user would (without recording them), then one pass.
    void applyValues(const std::vector<std::pair<int, int>> &values);
    void restartHold();
    void holdTick();
    void refreshTick();

    std::unique_ptr<UnitLinks> m_links;
    std::unique_ptr<UnitSession> m_session;
    std::unique_ptr<Gang> m_gang;
    DeviceDirectory m_devices;
    ParameterState m_state;
    QVector<Channel> m_channels;
    int m_channelIndex = -1;
    int m_readChannel = -1; // the channel whose values are shown

    QTimer m_refresh;
    QTimer m_holdTimer;
    bool m_hold = true;
    quint64 m_holdTicks = 0;

    quint64 m_unit = 0;  // counts identifications, so replies for a unit before are dropped
    quint64 m_cycle = 0; // counts read-backs, likewise
    // The context of the read-back's requests: replaced (and its waiting
    // reads dropped) when a read-back gives way to another.
    std::unique_ptr<QObject> m_cycleContext;
    bool m_reading = false;
    Then m_then = Then::Nothing;
    int m_readsWaiting = 0;
    bool m_gangBuilt = false;

    UndoHistory m_history;
    AbMemory m_ab;
    QElapsedTimer m_clock;
};
