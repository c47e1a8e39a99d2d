#include "panelcontrolmap.h"

#include "encoderaccumulator.h"
#include "parametercatalogue.h"

using PC = ParameterCatalogue;

PanelControlMap::EncoderMove PanelControlMap::encoderMove(int page, quint32 encoderId, bool adjustOn,
                                                          float increment, EncoderAccumulator &accumulator)
{
    EncoderMove move;
    const PanelLayout::Control driven = PanelLayout::control(page, encoderId);
    if (driven.slot >= 0 && !PC::changeable(driven.slot, adjustOn))
        return move;
    const int step = accumulator.feed(increment);
    if (step == 0)
        return move;
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
    if (buttonId == PanelLayout::ResetAllButton)
        return adjustOn;
    if (buttonId == PanelLayout::PageButton)
        return true;
    const PanelLayout::Control driven = PanelLayout::control(page, buttonId);
    return driven.chooser != PanelLayout::Chooser::None || (driven.slot >= 0 && PC::changeable(driven.slot, adjustOn));
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
    action.target = PanelLayout::control(page, buttonId);
    switch (PanelLayout::press(action.target)) {
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
