#pragma once

#include "deviceentry.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class UnitLinks;
class UnitWriter;

// The units besides the current one that receive every write. Each has its
// own link, also one that does not answer: it is tried again with the
// link's back-off and catches up on the writes it missed once it answers.
class Gang : public QObject
{
    Q_OBJECT

public:
    explicit Gang(UnitLinks &links, QObject *parent = nullptr);
    ~Gang() override;

    // Links to these units, in this order; the links of the gang before are closed.
    void rebuild(const QList<DeviceEntry> &ganged);
    int size() const { return int(m_members.size()); }
    const UnitWriter &member(int i) const { return *m_members[std::size_t(i)]; }
    QStringList hostNames() const;

    void write(const QByteArray &name, const QByteArray &value);
    // Reads the parameter from every member so their connections stay in
    // use; a member that answers catches up on what it missed.
    void poll(const QByteArray &name);

    // The window's label above the device list and its tool tip.
    QString label() const;
    QString toolTip() const;
    // The member with this address, or null.
    UnitWriter *writerFor(const QString &address) const;
    // A member's state by address, or empty when the address is not ganged.
    QString stateOf(const QString &address) const;

Q_SIGNALS:
    // A member's state changed, or the members did.
    void changed();

private:
    void clear();

    UnitLinks &m_links;
    std::vector<std::unique_ptr<UnitWriter>> m_members;
};
