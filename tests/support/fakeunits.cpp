#include "fakeunits.h"

#include "networkservices.h"
#include "parameterstore.h"
#include "rigconfig.h"
#include "unittransport.h"

#include <QSet>
#include <QThread>

#include <optional>

struct FakeUnits::Unit
{
    explicit Unit(const UnitConfig &config) : store(config) {}

    ParameterStore store;
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
            if (name == "eParamID_NetworkServices") {
                result.ok = true;
                result.body = m_units.m_listReply;
            } else if (const std::optional<QByteArray> value = m_unit->store.value(name)) {
                result.ok = true;
                result.body = *value;
            }
        });
    }

    Result set(const QByteArray &name, const QByteArray &value) override
    {
        return answer(name, "set " + name + ' ' + value, [&](Result &result) {
            result.ok = m_unit->store.setAtUnit(name, value);
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
    RigConfig rig;
    for (int i = 0; i < count; ++i) {
        rig.units << UnitConfig::numbered(i + 1);
        m_units.push_back(std::make_unique<Unit>(rig.units.back()));
    }
    m_listReply = NetworkServices::jsonReply(rig.services());
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
    return m_units[std::size_t(unit)]->store.value(name).value_or(QByteArray());
}

void FakeUnits::setValue(int unit, const QByteArray &name, const QByteArray &value)
{
    change(unit, [&](Unit &u) { u.store.setAtUnit(name, value); });
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
