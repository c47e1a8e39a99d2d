#include "panelcontrolmap.h"

#include "encoderaccumulator.h"

namespace {

using C = PanelControl;

// Encoders 0 to 11 by page; encoder 12 and above drive nothing.
const C encoderTable[PanelControlMap::PageCount][12] = {
    {C::MasterLift, C::MasterGamma, C::MasterGain, C::RedLift, C::RedGamma, C::RedGain, C::GreenLift, C::GreenGamma,
     C::GreenGain, C::BlueLift, C::BlueGamma, C::BlueGain},
    {C::HdrAmount, C::None, C::None, C::AmbLight, C::None, C::None, C::LogLook, C::None, C::None, C::SdrSoftness,
     C::Saturation, C::None},
    {C::Exposure, C::None, C::None, C::ColorTemp, C::None, C::None, C::Tint, C::None, C::None, C::Bt2408,
     C::PqNitLevel, C::None},
    {C::DeviceChooser, C::None, C::None, C::ChannelChooser, C::None, C::None, C::InRangeChooser, C::None, C::None,
     C::OutRangeChooser, C::MonRangeChooser, C::None},
};

using A = PanelControlMap::ButtonAction;

A reset(C control, int value)
{
    return {A::ResetSlider, control, value};
}

A toggle(C control)
{
    return {A::Toggle, control, 0};
}

A commit(C control)
{
    return {A::Commit, control, 0};
}

const A none{};

// Buttons 0 to 11 by page; 12 and 13 are the same on every page.
const A buttonTable[PanelControlMap::PageCount][12] = {
    {reset(C::MasterLift, 0), reset(C::MasterGamma, 1000), reset(C::MasterGain, 1000), reset(C::RedLift, 0),
     reset(C::RedGamma, 1000), reset(C::RedGain, 1000), reset(C::GreenLift, 0), reset(C::GreenGamma, 1000),
     reset(C::GreenGain, 1000), reset(C::BlueLift, 0), reset(C::BlueGamma, 1000), reset(C::BlueGain, 1000)},
    {reset(C::HdrAmount, 0), none, toggle(C::SdrPreview), reset(C::AmbLight, 0), none, toggle(C::Adjust),
     reset(C::LogLook, 500), none, toggle(C::P3Clamp), reset(C::SdrSoftness, 0), reset(C::Saturation, 1000), none},
    {reset(C::Exposure, 0), none, none, reset(C::ColorTemp, 0), none, none, reset(C::Tint, 0), none, none,
     reset(C::Bt2408, 0), reset(C::PqNitLevel, 1000), none},
    {commit(C::DeviceChooser), none, none, commit(C::ChannelChooser), none, none, commit(C::InRangeChooser), none,
     none, commit(C::OutRangeChooser), commit(C::MonRangeChooser), none},
};

bool validPage(int page)
{
    return page >= 0 && page < PanelControlMap::PageCount;
}

} // namespace

PanelControl PanelControlMap::encoderControl(int page, quint32 encoderId)
{
    if (!validPage(page) || encoderId >= 12)
        return C::None;
    return encoderTable[page][encoderId];
}

bool PanelControlMap::encoderAllowed(int page, quint32 encoderId, bool adjustOn)
{
    return adjustOn || encoderId == 12 || page == 3;
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
    move.control = encoderControl(page, encoderId);
    if (move.control != C::None)
        move.step = step;
    return move;
}

bool PanelControlMap::buttonAllowed(int page, quint32 buttonId, bool adjustOn)
{
    if (buttonId > ResetAllButton || !validPage(page))
        return false;
    if (adjustOn)
        return true;
    if (page == 0)
        return buttonId == PageButton;
    if (page == 1)
        return (0x1024u >> buttonId) & 1u; // buttons 2, 5 and 12
    return true;
}

PanelControlMap::ButtonAction PanelControlMap::buttonAction(int page, quint32 buttonId, bool adjustOn)
{
    if (!buttonAllowed(page, buttonId, adjustOn))
        return none;
    if (buttonId == PageButton)
        return {A::NextPage, C::None, 0};
    if (buttonId == ResetAllButton)
        return {A::DoublePress, C::None, 0};
    return buttonTable[page][buttonId];
}

ChooserStepper::Chooser PanelControlMap::chooserOf(PanelControl control)
{
    switch (control) {
    case C::DeviceChooser:
        return ChooserStepper::Device;
    case C::ChannelChooser:
        return ChooserStepper::Channel;
    case C::InRangeChooser:
        return ChooserStepper::InRange;
    case C::OutRangeChooser:
        return ChooserStepper::OutRange;
    case C::MonRangeChooser:
        return ChooserStepper::MonRange;
    default:
        return ChooserStepper::None;
    }
}

const char *PanelControlMap::objectName(PanelControl control)
{
    switch (control) {
    case C::None: return "";
    case C::MasterLift: return "masterLiftSlider";
    case C::MasterGamma: return "masterGammaSlider";
    case C::MasterGain: return "masterGainSlider";
    case C::RedLift: return "redLiftSlider";
    case C::RedGamma: return "redGammaSlider";
    case C::RedGain: return "redGainSlider";
    case C::GreenLift: return "greenLiftSlider";
    case C::GreenGamma: return "greenGammaSlider";
    case C::GreenGain: return "greenGainSlider";
    case C::BlueLift: return "blueLiftSlider";
    case C::BlueGamma: return "blueGammaSlider";
    case C::BlueGain: return "blueGainSlider";
    case C::HdrAmount: return "hdrAmountSlider";
    case C::AmbLight: return "hdrRangeSlider";
    case C::LogLook: return "lookSlider";
    case C::SdrSoftness: return "sdrSoftnessSlider";
    case C::Saturation: return "saturationSlider";
    case C::Exposure: return "exposureSlider";
    case C::ColorTemp: return "colorTempSlider";
    case C::Tint: return "tintSlider";
    case C::Bt2408: return "bt2408Slider";
    case C::PqNitLevel: return "pqoutnitLevelSlider";
    case C::SdrPreview: return "clampCheckBox";
    case C::Adjust: return "adjustGroupBox";
    case C::P3Clamp: return "clampP3CheckBox";
    case C::DeviceChooser: return "currentPrismoChoiceComboBox";
    case C::ChannelChooser: return "currentChannelComboBox";
    case C::InRangeChooser: return "inDynRangeGamutChoiceComboBox";
    case C::OutRangeChooser: return "outDynRangeGamutChoiceComboBox";
    case C::MonRangeChooser: return "monDynRangeGamutChoiceComboBox";
    }
    return "";
}
