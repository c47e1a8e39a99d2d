#include "panelcontrolmap.h"

#include "encoderaccumulator.h"
#include "panellayout.h"
#include "parametercatalogue.h"

using PC = ParameterCatalogue;

namespace {
ChooserStepper::Chooser stepperChooser(PanelLayout::Chooser chooser)
{
    switch (chooser) {
    case PanelLayout::Chooser::Device:
        return ChooserStepper::Device;
    case PanelLayout::Chooser::Channel:
        return ChooserStepper::Channel;
    case PanelLayout::Chooser::InRange:
        return ChooserStepper::InRange;
    case PanelLayout::Chooser::OutRange:
        return ChooserStepper::OutRange;
    case PanelLayout::Chooser::MonRange:
        return ChooserStepper::MonRange;
    case PanelLayout::Chooser::None:
        break;
    }
    return ChooserStepper::None;
}
} // namespace

PanelControlMap::Target PanelControlMap::target(int page, quint32 id)
{
    const PanelLayout::Control control = PanelLayout::control(page, id);
    Target found;
    found.slot = control.slot;
    found.chooser = stepperChooser(control.chooser);
    return found;
}

int PanelControlMap::nextPage(int page)
{
    return (page + 1) % PanelLayout::PageCount;
}

bool PanelControlMap::encoderAllowed(int page, quint32 encoderId, bool adjustOn)
{
    return adjustOn || encoderId == PanelLayout::PageButton || page == PanelLayout::StatusPage;
}

PanelControlMap::EncoderMove PanelControlMap::encoderMove(int page, quint32 encoderId, bool adjustOn,
                                                          float increment, EncoderAccumulator &accumulator)
{
    EncoderMove move;
    if (!encoderAllowed(page, encoderId, adjustOn))
        return move;
    const int step = accumulator.feed(increment);
    if (step == 0)
        return move;
    const Target driven = target(page, encoderId);
    // A switch has a button, not an encoder.
    if (driven.isNone() || (driven.slot >= 0 && PC::slot(driven.slot).kind == PC::Kind::Switch))
        return move;
    move.target = driven;
    move.step = step;
    return move;
}

bool PanelControlMap::buttonAllowed(int page, quint32 buttonId, bool adjustOn)
{
    if (buttonId > PanelLayout::ResetAllButton || page < 0 || page >= PanelLayout::PageCount)
        return false;
    if (adjustOn)
        return true;
    if (page == 0)
        return buttonId == PanelLayout::PageButton;
    if (page == 1)
        return (0x1024u >> buttonId) & 1u; // buttons 2, 5 and 12
    return true;
}

PanelControlMap::ButtonAction PanelControlMap::buttonAction(int page, quint32 buttonId, bool adjustOn)
{
    ButtonAction action;
    if (!buttonAllowed(page, buttonId, adjustOn))
        return action;
    if (buttonId == PanelLayout::PageButton) {
        action.kind = ButtonAction::NextPage;
        return action;
    }
    if (buttonId == PanelLayout::ResetAllButton) {
        action.kind = ButtonAction::DoublePress;
        return action;
    }
    action.target = target(page, buttonId);
    switch (PanelLayout::press(page, buttonId)) {
    case PanelLayout::Press::Reset:
        action.kind = ButtonAction::ResetSlider;
        action.value = PC::slot(action.target.slot).resetPosition;
        break;
    case PanelLayout::Press::Toggle:
        action.kind = ButtonAction::Toggle;
        break;
    case PanelLayout::Press::Commit:
        action.kind = ButtonAction::Commit;
        break;
    case PanelLayout::Press::None:
        break;
    }
    return action;
}
