#include "fakeunits.h"

#include "parametercatalogue.h"
#include "unittransport.h"

#include <QThread>

struct FakeUnits::Unit
{
    QString address;
    QHash<QByteArray, QByteArray> values;
    QSet<QByteArray> failing;
    bool off = false;
    int delayMs = 0;
};

class FakeUnits::Transport : public UnitTransport
{
public:
    Transport(FakeUnits &units, const QString &address) : m_units(units), m_address(address) {}

    Result get(const QByteArray &name, const QByteArray &format, int) override
    {
        return answer(name, "get " + name + ' ' + format, [&](Unit &unit, Result &result) {
            if (name == "eParamID_NetworkServices")
                result.body = m_units.listReply();
            else
                result.body = unit.values.value(name);
            result.ok = name == "eParamID_NetworkServices" || unit.values.contains(name);
        });
    }

    Result set(const QByteArray &name, const QByteArray &value) override
    {
        return answer(name, "set " + name + ' ' + value, [&](Unit &unit, Result &result) {
            result.ok = unit.values.contains(name);
            if (result.ok)
                unit.values.insert(name, value);
        });
    }

private:
    template<typename Act>
    Result answer(const QByteArray &name, const QByteArray &what, Act act)
    {
        int delay = 0;
        {
            std::lock_guard<std::mutex> lock(m_units.m_mutex);
            m_units.m_log << m_address + QLatin1Char(' ') + QString::fromLatin1(what);
            for (const auto &unit : m_units.m_units)
                if (unit->address == m_address)
                    delay = unit->delayMs;
        }
        if (delay > 0)
            QThread::msleep(ulong(delay));
        std::lock_guard<std::mutex> lock(m_units.m_mutex);
        Result result;
        for (const auto &unit : m_units.m_units) {
            if (unit->address != m_address || unit->off)
                continue;
            result.answered = true;
            if (!unit->failing.contains(name))
                act(*unit, result);
        }
        return result;
    }

    FakeUnits &m_units;
    QString m_address;
};

FakeUnits::FakeUnits(int count)
{
    using PC = ParameterCatalogue;
    for (int i = 0; i < count; ++i) {
        auto unit = std::make_unique<Unit>();
        unit->address = address(i);
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
        addListed(QStringLiteral("Prismo"), hostName(i).trimmed(), address(i));
    }
}

FakeUnits::~FakeUnits() = default;

UnitLinks::TransportFactory FakeUnits::transports()
{
    return [this](const QString &address) { return std::make_unique<Transport>(*this, address); };
}

QByteArray FakeUnits::value(int unit, const QByteArray &name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_units[std::size_t(unit)]->values.value(name);
}

void FakeUnits::setValue(int unit, const QByteArray &name, const QByteArray &value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_units[std::size_t(unit)]->values.insert(name, value);
}

void FakeUnits::setOff(int unit, bool off)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_units[std::size_t(unit)]->off = off;
}

void FakeUnits::setFailing(int unit, const QByteArray &name, bool failing)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (failing)
        m_units[std::size_t(unit)]->failing.insert(name);
    else
        m_units[std::size_t(unit)]->failing.remove(name);
}

void FakeUnits::setDelay(int unit, int milliseconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_units[std::size_t(unit)]->delayMs = milliseconds;
}

void FakeUnits::addListed(const QString &kind, const QString &hostName, const QString &address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listed << QStringLiteral("{\\\"device_name\\\":\\\"%1\\\",\\\"host_name\\\":\\\"%2\\\",\\\"ip_address\\\":\\\"%3\\\"}")
                    .arg(kind, hostName, address);
}

// The list as the units send it: escaped JSON text inside "value".
QByteArray FakeUnits::listReply() const
{
    return "{\"value\":\"[" + m_listed.join(QLatin1Char(',')).toUtf8() + "]\"}";
}

FakeUnits::Log FakeUnits::log() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

FakeUnits::Log FakeUnits::sets() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Log sets;
    for (const QString &line : m_log)
        if (line.section(QLatin1Char(' '), 1, 1) == QLatin1String("set"))
            sets << line;
    return sets;
}

void FakeUnits::clearLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.clear();
}
