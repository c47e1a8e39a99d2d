#include "simulatorrig.h"

#include "simulatedunit.h"

#include <QMutexLocker>
#include <QThread>

#include <type_traits>

namespace {
// With port 0 the first unit picks a free port that may be taken on another
// unit's address; the rig then tries again with a new one.
constexpr int PortAttempts = 20;
} // namespace

SimulatorRig::SimulatorRig(RigConfig config, QObject *parent) : QObject(parent), m_config(std::move(config)) {}

SimulatorRig::~SimulatorRig()
{
    stop();
}

template <typename Work> auto SimulatorRig::onRigThread(Work &&work) const -> decltype(work())
{
    using Result = decltype(work());
    if (!m_thread || QThread::currentThread() == m_thread.get())
        return work();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(m_context.get(), std::forward<Work>(work), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            m_context.get(), [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

bool SimulatorRig::start(quint16 port, QString *error)
{
    if (m_thread)
        return true;
    if (!m_config.validate(error))
        return false;
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("prismo-sim rig"));
    m_context = std::make_unique<QObject>();
    m_context->moveToThread(m_thread.get());
    m_thread->start();

    const bool started = onRigThread([&] {
        for (const UnitConfig &config : m_config.units) {
            auto unit = std::make_unique<SimulatedUnit>(config, m_config.services());
            connect(
                unit.get(), &SimulatedUnit::requestLogged, unit.get(),
                [this](const QString &line) { appendToLog(line); }, Qt::DirectConnection);
            m_units.push_back(std::move(unit));
        }
        for (int attempt = 0; attempt < PortAttempts; ++attempt) {
            quint16 chosen = port;
            bool portTaken = false;
            bool all = true;
            for (int i = 0; all && i < unitCount(); ++i) {
                all = switchOnHere(i, chosen, error, &portTaken);
                if (all && i == 0)
                    chosen = m_units.front()->port();
            }
            if (all) {
                m_port = chosen;
                return true;
            }
            for (const auto &unit : m_units)
                unit->switchOff();
            if (port != 0 || !portTaken)
                return false;
        }
        return false;
    });
    if (!started)
        stop();
    return started;
}

void SimulatorRig::stop()
{
    if (!m_thread)
        return;
    onRigThread([this] { m_units.clear(); });
    m_thread->quit();
    m_thread->wait();
    m_context.reset();
    m_thread.reset();
    m_port = 0;
}

bool SimulatorRig::switchOnHere(int unit, quint16 port, QString *error, bool *portTaken)
{
    QAbstractSocket::SocketError problem = QAbstractSocket::UnknownSocketError;
    QString reason;
    if (m_units[unit]->switchOn(port, &problem, &reason))
        return true;
    *portTaken = problem == QAbstractSocket::AddressInUseError;
    if (!error)
        return false;
    const QString address = m_config.units.at(unit).address;
    *error = QStringLiteral("cannot listen on %1 port %2: %3.").arg(address).arg(port).arg(reason);
    if (problem == QAbstractSocket::SocketAccessError && port < 1024)
        *error += QStringLiteral(" Ports below 1024 need privileges: run with --port 8080 (or set "
                                 "PRISMOLINK_DEVICE_PORT=8080) and give the program the same "
                                 "PRISMOLINK_DEVICE_PORT.");
    else if (problem == QAbstractSocket::AddressInUseError)
        *error += QStringLiteral(" Another program (perhaps another prismo-sim) is using it; choose another --port.");
    else if (problem == QAbstractSocket::SocketAddressNotAvailableError)
        *error += QStringLiteral(" The address does not belong to this machine; on Linux every 127.x.y.z address "
                                 "is a loopback address that needs no setup.");
    return false;
}

bool SimulatorRig::switchOn(int unit, QString *error)
{
    return onRigThread([&] {
        if (!validUnit(unit))
            return false;
        bool portTaken = false;
        return switchOnHere(unit, m_port, error, &portTaken);
    });
}

void SimulatorRig::switchOff(int unit)
{
    onRigThread([&] {
        if (validUnit(unit))
            m_units[unit]->switchOff();
    });
}

bool SimulatorRig::isOn(int unit) const
{
    return onRigThread([&] { return validUnit(unit) && m_units[unit]->isOn(); });
}

FaultSettings SimulatorRig::faults(int unit) const
{
    return onRigThread([&] { return validUnit(unit) ? m_units[unit]->faults() : FaultSettings(); });
}

void SimulatorRig::setFaults(int unit, const FaultSettings &faults)
{
    onRigThread([&] {
        if (validUnit(unit))
            m_units[unit]->setFaults(faults);
    });
}

std::optional<QByteArray> SimulatorRig::parameter(int unit, const QByteArray &name) const
{
    return onRigThread([&] { return validUnit(unit) ? m_units[unit]->store().value(name) : std::nullopt; });
}

bool SimulatorRig::setParameter(int unit, const QByteArray &name, const QByteArray &value)
{
    return onRigThread([&] { return validUnit(unit) && m_units[unit]->store().setAtUnit(name, value); });
}

QStringList SimulatorRig::requestLog() const
{
    QMutexLocker locker(&m_logMutex);
    return m_log;
}

void SimulatorRig::clearRequestLog()
{
    QMutexLocker locker(&m_logMutex);
    m_log.clear();
}

void SimulatorRig::appendToLog(const QString &line)
{
    {
        QMutexLocker locker(&m_logMutex);
        m_log.append(line);
        if (m_log.size() > KeptLogLines)
            m_log.removeFirst();
    }
    emit requestLogged(line);
}
