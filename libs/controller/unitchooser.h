#pragma once

#include "devicedirectory.h"
#include "target.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class Gang;
class UnitLinks;
class UnitSession;
class UnitWriter;
struct UnitRequest;

// Chooses what is adjusted: the current unit (identified at an address), its
// channel, the units it knows of and the gang. It writes no parameter.
class UnitChooser : public QObject
{
    Q_OBJECT

public:
    struct Channel
    {
        QString text;
        int channel;
    };

    explicit UnitChooser(UnitLinks &links, QObject *parent = nullptr);
    ~UnitChooser() override;

    void setSavedGang(const QStringList &hostNames);
    // Leaves the unit before and identifies the unit at the address (none for an empty one).
    void open(const QString &address);
    void close();
    // Reads the current unit's list of units again; the gang follows its marks.
    void discover();
    // Selects the channel with this number, when the list has it; whether the selection changed.
    bool selectChannel(int channel);
    // The channel `step` entries on in the list, round at the ends.
    bool stepChannel(int step);
    // The address of the listed unit with this host name or address; empty when none.
    QString addressOf(const QString &nameOrAddress) const;
    // The address of the listed unit `step` entries on from the current one, round at the ends.
    QString stepUnit(int step) const;
    // The gang dialog's choices; the gang is built anew when its units changed.
    void applyGangChoices(const QList<DeviceEntry> &edited);
    // Links to the marked units; gangRebuilt() follows.
    void rebuildGang();

    bool hasUnit() const;
    bool isIdentifying() const;
    // The address asked for (the current unit once identified).
    QString address() const;
    // The place inputs aim at now: the current unit and the selected channel (0 with none).
    Target current() const;
    QString title() const;
    QString systemName() const;
    QString versionText() const;
    const QVector<Channel> &channels() const { return m_channels; }
    int channelIndex() const { return m_channelIndex; }
    const QList<DeviceEntry> &devices() const { return m_devices.entries(); }
    int deviceIndex() const { return m_devices.currentIndex(); }
    // A unit's state by address ("answering", "slow", ...): the current unit's or a ganged one's.
    QString unitState(const QString &address) const;
    QStringList gangNamesToSave() const { return m_devices.gangNames(); }
    int gangSize() const;
    QStringList gangHostNames() const;
    // The label above the device list and its tool tip.
    QString gangLabel() const;
    QString gangToolTip() const;
    // The places a channel can be copied to: the current unit's other
    // channels, then every channel of each ganged unit.
    QVector<Target> copyTargets(const Target &source) const;

    // The current unit's writer while there is a link, else null; the gang.
    UnitWriter *writer() const;
    Gang &gang() { return *m_gang; }
    const Gang &gang() const { return *m_gang; }

Q_SIGNALS:
    // The unit at the address is identified and its channels are listed.
    void identified();
    void titleChanged(const QString &title);
    void channelsChanged();
    // The device list, its selection or its marks.
    void devicesChanged();
    // A member's state changed, or the members did.
    void gangChanged();
    // The gang has new members (or none): the units are to be matched.
    void gangRebuilt();
    // Discovery ended (the list may be unchanged).
    void discovered();

private:
    void identifiedUnit();
    void listRead(quint64 unit, const UnitRequest &request);
    void updateGang();

    UnitLinks &m_links;
    std::unique_ptr<UnitSession> m_session;
    std::unique_ptr<Gang> m_gang;
    DeviceDirectory m_devices;
    QVector<Channel> m_channels;
    int m_channelIndex = -1;
    quint64 m_unit = 0; // counts identifications, so a list read for a unit before is dropped
    bool m_gangBuilt = false; // for this unit
};
