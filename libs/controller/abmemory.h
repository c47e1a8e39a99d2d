#pragma once

#include "look.h"

#include <QHash>
#include <QString>

#include <optional>

// Two looks to compare by eye, A and B, for each channel of each unit (the
// key), and which of them is live: the one last stored or put on the units.
class AbMemory
{
public:
    enum class Which { None, A, B };

    void store(const QString &key, Which which, const Look &look);
    std::optional<Look> look(const QString &key, Which which) const;
    Which live(const QString &key) const;
    void setLive(const QString &key, Which which);
    // The look a toggle puts on the units: the one that is not live, when
    // both are stored (A when neither is live).
    Which toggleTarget(const QString &key) const;

    static QString name(Which which);

private:
    struct Memory
    {
        std::optional<Look> a;
        std::optional<Look> b;
        Which live = Which::None;
    };
    QHash<QString, Memory> m_memories;
};
