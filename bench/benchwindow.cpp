#include "benchwindow.h"

#include "arrivaltally.h"
#include "benchclock.h"
#include "conditionwait.h"
#include "displaycell.h"
#include "eventloopprobe.h"
#include "gang.h"
#include "hdrcontroller.h"
#include "hdrparameterdialog.h"
#include "httptransport.h"
#include "panelstandin.h"
#include "programparts.h"
#include "requestwatch.h"
#include "simulatorrig.h"
#include "ui_hdrparameterdialog.h"
#include "unitchooser.h"
#include "unitlink.h"
#include "unitwriter.h"

#include <QApplication>
#include <QKeyEvent>

using PC = ParameterCatalogue;

BenchWindow::BenchWindow(SimulatorRig &rig, PanelStandIn &panel) : m_rig(rig), m_panel(panel) {}

BenchWindow::~BenchWindow()
{
    close();
}

QStringList BenchWindow::gangOf(int count) const
{
    QStringList names;
    // As the window saves them: discovery reads host names with a blank at the end.
    for (int unit = 1; unit <= count; ++unit)
        names << m_rig.config().units[unit].hostName + QLatin1Char(' ');
    return names;
}

QString BenchWindow::unitAddress(int unit) const
{
    return m_rig.config().units[unit].address;
}

void BenchWindow::show(const QString &address, const QStringList &gangHostNames)
{
    close();
    m_parts = std::make_unique<ProgramParts>(HttpTransport::factory(m_rig.port()), m_panel.port(),
                                             QStringLiteral("bench"), address, gangHostNames);
    m_discovered = 0;
    QObject::connect(&controller().units(), &UnitChooser::discovered, &dialog(), [this] { ++m_discovered; });
    dialog().show();
}

HdrController &BenchWindow::controller() const
{
    return m_parts->controller();
}

HDRParameterDialog &BenchWindow::dialog() const
{
    return m_parts->window();
}

bool BenchWindow::waitReady(int ganged)
{
    const HdrController &c = controller();
    const bool ready = ConditionWait::until(
        [&] {
            return c.units().hasUnit() && m_discovered > 0 && c.units().gangSize() == ganged &&
                   m_panel.knob().programAnnounced() &&
                   m_panel.knob().isShown(DisplayCell::ofValue(PC::GainRed, c.value(PC::GainRed)));
        },
        ReadyTimeoutMs);
    return ready && settle();
}

bool BenchWindow::settle()
{
    HdrController &c = controller();
    if (!c.units().hasUnit())
        return false;
    // A value set as it is: nothing is written, and the read-back holds off.
    c.submit(Input::of(Input::Kind::Set, c.current(), PC::GainRed, c.value(PC::GainRed)));
    const int before = m_discovered;
    c.discover();
    return ConditionWait::until([&] { return m_discovered > before && gangIdle(); }, ReadyTimeoutMs);
}

std::optional<BenchWindow::Pass> BenchWindow::forcedPass(RequestWatch &watch, EventLoopProbe *probe)
{
    if (!settle())
        return std::nullopt;
    const QStringList units = answeringUnits();
    const int sets = int(PC::passOrder().size());
    ArrivalTally arrived(RequestWatch::isSet);
    watch.takeArrived();
    if (probe)
        probe->start();
    const qint64 start = BenchClock::nowNs();
    controller().forcePass();
    const bool ended = ConditionWait::until(
        [&] {
            arrived.add(watch.takeArrived());
            return arrived.allReached(units, sets);
        },
        ConditionWait::MeasureTimeoutMs);
    if (probe)
        probe->stop();
    if (!ended)
        return std::nullopt;
    return Pass{BenchClock::millis(start, arrived.latestNs(units, sets)), arrived.total()};
}

bool BenchWindow::gangIdle() const
{
    const Gang &gang = controller().units().gang();
    for (int i = 0; i < gang.size(); ++i) {
        const UnitLink *link = gang.member(i).link();
        if (!m_silent.contains(link->address()) && link->waiting() > 0)
            return false;
    }
    return true;
}

double BenchWindow::close()
{
    if (!m_parts)
        return 0;
    const qint64 start = BenchClock::nowNs();
    m_parts.reset();
    const double taken = BenchClock::millis(start, BenchClock::nowNs());
    ConditionWait::until([this] { return !m_panel.knob().programAnnounced(); }, ReadyTimeoutMs);
    return taken;
}

QStringList BenchWindow::answeringUnits() const
{
    QStringList units{controller().units().address()};
    const Gang &gang = controller().units().gang();
    for (int i = 0; i < gang.size(); ++i) {
        const QString &address = gang.member(i).link()->address();
        if (!m_silent.contains(address))
            units << address;
    }
    return units;
}

void BenchWindow::typeAddress(const QString &address)
{
    QLineEdit *field = dialog().form().ipAddressLineEdit;
    field->setText(address);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &press);
}
