#include "abmemory.h"

void AbMemory::store(const QString &key, Which which, const Look &look)
{
    Memory &memory = m_memories[key];
    (which == Which::A ? memory.a : memory.b) = look;
    memory.live = which;
}

std::optional<Look> AbMemory::look(const QString &key, Which which) const
{
    const auto it = m_memories.constFind(key);
    if (it == m_memories.constEnd() || which == Which::None)
        return std::nullopt;
    return which == Which::A ? it->a : it->b;
}

AbMemory::Which AbMemory::live(const QString &key) const
{
    return m_memories.value(key).live;
}

void AbMemory::setLive(const QString &key, Which which)
{
    m_memories[key].live = which;
}

AbMemory::Which AbMemory::toggleTarget(const QString &key) const
{
    const Memory memory = m_memories.value(key);
    if (!memory.a || !memory.b)
        return Which::None;
    return memory.live == Which::A ? Which::B : Which::A;
}

QString AbMemory::name(Which which)
{
    return which == Which::A ? QStringLiteral("A") : which == Which::B ? QStringLiteral("B") : QString();
}
