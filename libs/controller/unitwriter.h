#pragma once

#include "unitlink.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <QSet>

#include <functional>
#include <vector>

// A unit that receives the window's writes. A write that got no answer may
// not have reached the unit: the last value of each such parameter is kept
// and sent again once the unit answers, so the unit does not drift from the
// rest. A write the unit answered, even with an error, is not sent again.
class UnitWriter : public QObject
{
    Q_OBJECT

public:
    UnitWriter(UnitLink *link, const QString &hostName, QObject *parent = nullptr);

    UnitLink *link() const { return m_link; }
    const QString &hostName() const { return m_hostName; }
    bool hasMissed() const { return !m_missed.isEmpty(); }
    // "answering", "slow", "not answering", "catching up", or empty before the first reply.
    QString stateText() const;
    // The state when it is worth a remark: empty while the unit simply answers.
    QString troubleText() const;

    void write(const QByteArray &name, const QByteArray &value);
    // Sends every missed write again; done(true) once all were answered.
    void catchUp(const std::function<void(bool)> &done = {});

Q_SIGNALS:
    void stateChanged();

private:
    void send(const QByteArray &name);
    void written(const UnitRequest &request);
    void endCatchUp(bool done);

    UnitLink *m_link;
    QString m_hostName;
    QHash<QByteArray, QByteArray> m_latest; // the last value asked for, per parameter
    QSet<QByteArray> m_missed;              // parameters whose last value may not have arrived
    QSet<QByteArray> m_catchingUp;          // missed parameters sent again, not yet answered
    bool m_catchUpFailed = false;
    std::vector<std::function<void(bool)>> m_catchUpDone;
};
