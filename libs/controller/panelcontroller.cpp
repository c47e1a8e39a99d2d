#include "panelcontroller.h"

#include "hdrcontroller.h"
#include "panelcontrolmap.h"
#include "panelpagelayout.h"
#include "tangentwavepanel.h"
#include "unitchooser.h"

#include <algorithm>

#include <algorithm>

using PC = ParameterCatalogue;
using Chooser = PanelLayout::Chooser;

PanelController::PanelController(HdrController &controller, DisplaySink *sink, QObject *parent)
    : QObject(parent), m_controller(controller), m_display(sink)
{
    m_choiceTimer.setInterval(ChooserTimeoutMs);
    m_resetArmTimer.setSingleShot(true);
    m_resetArmTimer.setInterval(DoublePressMs);
    connect(&m_choiceTimer, &QTimer::timeout, this, &PanelController::chooserTimedOut);
    connect(&m_resetArmTimer, &QTimer::timeout, this, [this] { m_resetArmed = false; });

    connect(&controller, &HdrController::parameterChanged, this, &PanelController::parameterChanged);
    connect(&controller, &HdrController::written, this, &PanelController::written);
    connect(&controller, &HdrController::resetDone, this, &PanelController::showPage);
    connect(&controller.units(), &UnitChooser::discovered, this, &PanelController::showPage);
    connect(&controller, &HdrController::holdTicked, this, [this](quint64 tick) {
        if (tick % LayoutEveryTicks == 0)
            showPage();
    });
}

PanelController::PanelController(HdrController &controller, tangentWavePanel &hub, QObject *parent)
    : PanelController(controller, &hub, parent)
{
    connect(&hub, &tangentWavePanel::sig_encoder, this, &PanelController::encoder);
    connect(&hub, &tangentWavePanel::sig_buttonDown, this, &PanelController::buttonDown);
    // A hub that starts (again) greets the program: the panel shows the page at once.
    connect(&hub, &tangentWavePanel::sig_hubGreeted, this, &PanelController::showPage);
}

void PanelController::showPage()
{
    showPanelPage(m_page);
}

void PanelController::showPanelPage(int page)
{
    PanelPageValues values;
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        // Switches show what was last sent, the rest what the controls show.
        const bool isSwitch = PC::slot(slot).kind == PC::Kind::Switch;
        values.values[std::size_t(slot)] = isSwitch ? m_controller.values().sent(slot) : m_controller.values().value(slot);
    }
    values.systemName = m_controller.units().systemName();
    values.versionText = m_controller.units().versionText();
    values.channel = m_controller.current().channel;
    PanelPageLayout::show(m_display, page, values);
}

// A value that changed without being written (a unit's value outside its
// range) is shown here; every written one when it is written.
void PanelController::parameterChanged(int slot, int value)
{
    if (m_controller.values().sent(slot) == value)
        PanelPageLayout::showValue(m_display, slot, value);
}

void PanelController::written(const QVector<int> &writtenSlots)
{
    for (int slot : writtenSlots) {
        const PC::SlotInfo &info = PC::slot(slot);
        if (info.kind == PC::Kind::Switch) {
            if (m_page == 1)
                showPanelPage(1);
        } else if (info.kind == PC::Kind::Choice) {
            if (m_page == 3)
                showPanelPage(3);
        } else {
            PanelPageLayout::showValue(m_display, slot, m_controller.value(slot));
        }
    }
}

void PanelController::encoder(uint32_t encoderId, float delta)
{
    const PanelControlMap::EncoderMove move =
        PanelControlMap::encoderMove(m_page, encoderId, m_controller.adjustOn(), delta, m_encoderAccum);
    if (move.step == 0)
        return;
    if (move.target.chooser != Chooser::None)
        stepChooser(move.target.chooser, move.step);
    else
        m_controller.submit(Input::of(Input::Kind::Nudge, m_controller.current(), move.target.slot, move.step));
}

void PanelController::buttonDown(uint32_t buttonId)
{
    const PanelControlMap::ButtonAction action = PanelControlMap::buttonAction(m_page, buttonId, m_controller.adjustOn());
    switch (action.kind) {
    case PanelControlMap::ButtonAction::ResetSlider:
        m_controller.submit(Input::of(Input::Kind::Reset, m_controller.current(), action.target.slot));
        break;
    case PanelControlMap::ButtonAction::Toggle:
        m_controller.submit(Input::of(Input::Kind::Toggle, m_controller.current(), action.target.slot));
        if (action.target.slot == PC::SdrPreview)
            showPage();
        break;
    case PanelControlMap::ButtonAction::Commit:
        commit(action.target.chooser);
        break;
    case PanelControlMap::ButtonAction::NextPage:
        if (m_page < 3)
            m_stepper.cancel();
        m_page = PanelLayout::nextPage(m_page);
        showPage();
        break;
    case PanelControlMap::ButtonAction::DoublePress:
        if (m_resetArmed) {
            m_controller.submit(Input::of(Input::Kind::ResetAll, m_controller.current()));
        } else {
            m_resetArmed = true;
            m_resetArmTimer.start();
        }
        break;
    case PanelControlMap::ButtonAction::None:
        break;
    }
}

// A range chooser steps through its parameter's list; the device and
// channel choosers through the controller's units and channels.
QStringList PanelController::entryNames(Chooser chooser) const
{
    if (const int slot = PanelLayout::slotOf(chooser); slot >= 0)
        return PC::choiceNames(slot);
    QStringList names;
    if (chooser == Chooser::Device) {
        for (const DeviceEntry &entry : m_controller.units().devices())
            names << entry.hostName;
    } else if (chooser == Chooser::Channel) {
        for (const UnitChooser::Channel &channel : m_controller.units().channels())
            names << PC::channelName(channel.channel);
    }
    return names;
}

int PanelController::currentIndex(Chooser chooser) const
{
    if (const int slot = PanelLayout::slotOf(chooser); slot >= 0)
        return m_controller.value(slot);
    if (chooser == Chooser::Device)
        return std::max(m_controller.units().deviceIndex(), 0);
    return chooser == Chooser::Channel ? m_controller.units().channelIndex() : -1;
}

void PanelController::stepChooser(Chooser chooser, double step)
{
    const ChooserStepper::Result r = m_stepper.step(chooser, step, entryNames(chooser), currentIndex(chooser));
    switch (r.outcome) {
    case ChooserStepper::Outcome::Started:
        m_choiceTimer.start();
        break;
    case ChooserStepper::Outcome::Moved:
        m_display.showStatusLine(r.line, r.lineText);
        m_choiceTimer.start();
        break;
    case ChooserStepper::Outcome::Cancelled:
        showPage();
        break;
    case ChooserStepper::Outcome::Ignored:
    case ChooserStepper::Outcome::Accumulated:
        break;
    }
}

// A choice that equals the current entry changes nothing, as picking the
// entry a chooser already shows does not.
void PanelController::commit(Chooser chooser)
{
    const std::optional<int> index = m_stepper.commit(chooser);
    if (!index)
        return;
    if (*index != currentIndex(chooser)) {
        if (const int slot = PanelLayout::slotOf(chooser); slot >= 0)
            m_controller.submit(Input::of(Input::Kind::Set, m_controller.current(), slot, *index));
        else if (chooser == Chooser::Device)
            m_controller.submit(Input::selectUnit(m_controller.units().devices().value(*index).ipAddress));
        else if (chooser == Chooser::Channel)
            m_controller.submit(Input::selectChannel(m_controller.units().channels().value(*index).channel));
    }
    m_choiceTimer.stop();
    showPage();
}

void PanelController::chooserTimedOut()
{
    m_stepper.cancel();
    if (m_page == 3)
        showPanelPage(3);
}
