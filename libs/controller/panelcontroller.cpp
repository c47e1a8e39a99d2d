#include "panelcontroller.h"

#include "hdrcontroller.h"
#include "panelcontrolmap.h"
#include "panelpagelayout.h"

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
    connect(&controller, &HdrController::discovered, this, &PanelController::showPage);
    connect(&controller, &HdrController::holdTicked, this, [this](quint64 tick) {
        if (tick % LayoutEveryTicks == 0)
            showPage();
    });
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
        values.values[std::size_t(slot)] =
            isSwitch ? m_controller.parameters().sent(slot) : m_controller.parameters().value(slot);
    }
    values.systemName = m_controller.systemName();
    values.versionText = m_controller.versionText();
    values.channel = m_controller.channel();
    PanelPageLayout::show(m_display, page, values);
}

// A value that changed without being written (a unit's value outside its
// range) is shown here; every written one when it is written.
void PanelController::parameterChanged(int slot, int value)
{
    if (m_controller.parameters().sent(slot) == value)
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
        m_controller.setParameter(move.target.slot, m_controller.value(move.target.slot) + move.step);
}

void PanelController::buttonDown(uint32_t buttonId)
{
    const PanelControlMap::ButtonAction action = PanelControlMap::buttonAction(m_page, buttonId, m_controller.adjustOn());
    switch (action.kind) {
    case PanelControlMap::ButtonAction::ResetSlider:
        m_controller.setParameter(action.target.slot, action.value);
        break;
    case PanelControlMap::ButtonAction::Toggle:
        m_controller.setParameter(action.target.slot, m_controller.value(action.target.slot) ? 0 : 1);
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
            m_controller.resetValues();
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
        for (const DeviceEntry &entry : m_controller.devices().entries())
            names << entry.hostName;
    } else if (chooser == Chooser::Channel) {
        for (const HdrController::Channel &channel : m_controller.channels())
            names << PC::channelName(channel.channel);
    }
    return names;
}

int PanelController::currentIndex(Chooser chooser) const
{
    if (const int slot = PanelLayout::slotOf(chooser); slot >= 0)
        return m_controller.value(slot);
    if (chooser == Chooser::Device)
        return std::max(m_controller.devices().currentIndex(), 0);
    return chooser == Chooser::Channel ? m_controller.channelIndex() : -1;
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
            m_controller.setParameter(slot, *index);
        else if (chooser == Chooser::Device)
            m_controller.selectDevice(*index);
        else if (chooser == Chooser::Channel)
            m_controller.selectChannel(*index);
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
