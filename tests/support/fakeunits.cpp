#include "fakeunits.h"

#include "parametercatalogue.h"
#include "unittransport.h"

#include <QHash>
#include <QSet>
#include <QThread>

struct FakeUnits::Unit
{
    QHash<QByteArray, QByteArray> values;
    QSet<QByteArray> failing;
    bool off = false;
    int delayMs = 0;
    QStringList log;
};

// Reaches one fake unit; an address no fake unit has never answers.
class FakeUnits::Transport : public UnitTransport
{
public:
    Transport(FakeUnits &units, Unit *unit) : m_units(units), m_unit(unit) {}

    Result get(const QByteArray &name, const QByteArray &format, int) override
    {
        return answer(name, "get " + name + ' ' + format, [&](Result &result) {
            const bool list = name == "eParamID_NetworkServices";
            result.ok = list || m_unit->values.contains(name);
            result.body = list ? m_units.m_listReply : m_unit->values.value(name);
        });
    }

    Result set(const QByteArray &name, const QByteArray &value) override
    {
        return answer(name, "set " + name + ' ' + value, [&](Result &result) {
            result.ok = m_unit->values.contains(name);
            if (result.ok)
                m_unit->values.insert(name, value);
        });
    }

private:
    template<typename Act>
    Result answer(const QByteArray &name, const QByteArray &what, Act act)
    {
        Result result;
        if (!m_unit)
            return result;
        int delay = 0;
        {
            std::lock_guard<std::mutex> lock(m_units.m_mutex);
            m_unit->log << QString::fromLatin1(what);
            delay = m_unit->delayMs;
        }
        if (delay > 0)
            QThread::msleep(ulong(delay));
        std::lock_guard<std::mutex> lock(m_units.m_mutex);
        result.answered = !m_unit->off;
        if (result.answered && !m_unit->failing.contains(name))
            act(result);
        return result;
    }

    FakeUnits &m_units;
    Unit *m_unit;
};

FakeUnits::FakeUnits(int count)
{
    using PC = ParameterCatalogue;
    QStringList listed;
    for (int i = 0; i < count; ++i) {
        auto unit = std::make_unique<Unit>();
        for (int channel = 0; channel < PC::ChannelCount; ++channel) {
            for (int slot = 0; slot < PC::SlotCount; ++slot) {
                const PC::SlotInfo &info = PC::slot(slot);
                unit->values.insert(PC::parameterName(channel, slot),
                                    info.kind == PC::Kind::Unbound ? "0" : PC::wireText(slot, info.startPosition));
            }
        }
        unit->values.insert("eParamID_ProductID", "KVEL");
        unit->values.insert("eParamID_SystemName", "Prismo " + QByteArray::number(i + 1));
        unit->values.insert("eParamID_SoftwareVersion", "17039879"); // 1.4.2.7
        unit->values.insert("eParamID_ZyloMode", "1");
        m_units.push_back(std::move(unit));
        listed << QStringLiteral("{\\\"device_name\\\":\\\"Prismo\\\",\\\"host_name\\\":\\\"%1\\\",\\\"ip_address\\\":\\\"%2\\\"}")
                      .arg(hostName(i).trimmed(), address(i));
    }
    // The list as the units send it: escaped JSON text inside "value".
    m_listReply = "{\"value\":\"[" + listed.join(QLatin1Char(',')).toUtf8() + "]\"}";
}

FakeUnits::~FakeUnits() = default;

UnitLinks::TransportFactory FakeUnits::transports()
{
    return [this](const QString &address) {
        Unit *unit = nullptr;
        for (std::size_t i = 0; i < m_units.size(); ++i)
            if (address == FakeUnits::address(int(i)))
                unit = m_units[i].get();
        return std::make_unique<Transport>(*this, unit);
    };
}

template<typename Change>
void FakeUnits::change(int unit, Change change)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    change(*m_units[std::size_t(unit)]);
}

QByteArray FakeUnits::value(int unit, const QByteArray &name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_units[std::size_t(unit)]->values.value(name);
}

void FakeUnits::setValue(int unit, const QByteArray &name, const QByteArray &value)
{
    change(unit, [&](Unit &u) { u.values.insert(name, value); });
}

void FakeUnits::setOff(int unit, bool off)
{
    change(unit, [&](Unit &u) { u.off = off; });
}

void FakeUnits::setFailing(int unit, const QByteArray &name, bool failing)
{
    change(unit, [&](Unit &u) {
        if (failing)
            u.failing.insert(name);
        else
            u.failing.remove(name);
    });
}

void FakeUnits::setDelay(int unit, int milliseconds)
{
    change(unit, [&](Unit &u) { u.delayMs = milliseconds; });
}

QStringList FakeUnits::requests(int unit, const QString &action) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QStringList lines;
    for (const QString &line : m_units[std::size_t(unit)]->log)
        if (line.startsWith(action + QLatin1Char(' ')))
            lines << line.mid(action.size() + 1);
    return lines;
}

void FakeUnits::clearLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto &unit : m_units)
        unit->log.clear();
}
