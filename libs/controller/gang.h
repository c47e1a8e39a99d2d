#pragma once

#include "deviceentry.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class UnitLinks;
class UnitWriter;
struct UnitRequest;

// The units besides the current one that receive every write. Each has its
// own link, also one that does not answer: it is tried again with the
// link's back-off and catches up on the writes it missed once it answers.
class Gang : public QObject
{
    Q_OBJECT

public:
    explicit Gang(UnitLinks &links, QObject *parent = nullptr);
    ~Gang() override;

    // Links to these units, in this order: a unit already ganged keeps its
    // link (and the writes it has yet to catch up on); the others' links are closed.
    void rebuild(const QList<DeviceEntry> &ganged);
    int size() const { return int(m_members.size()); }
    const UnitWriter &member(int i) const { return *m_members[std::size_t(i)]; }
    QStringList hostNames() const;

    void write(const QByteArray &name, const QByteArray &value);
    // Reads the parameter from every member; done is called with each member's address and outcome.
    void read(const QByteArray &name, QObject *context,
              const std::function<void(const QString &address, const UnitRequest &request)> &done);
    // Reads the parameter from every member so their connections stay in
    // use; a member that answers catches up on what it missed.
    void poll(const QByteArray &name);

    // How many parameters the last match of the gang had to leave out, as
    // they were not known; they are matched once known.
    void setUnmatched(int count);
    int unmatched() const { return m_unmatched; }

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
    int m_unmatched = 0;
};
