#pragma once

#include "chooserstepper.h"

#include <QtGlobal>

class EncoderAccumulator;

// The controls of the main window that the panel drives. objectName() gives
// the form widget's object name, so the dialog can map each to its widget.
enum class PanelControl {
    None,
    MasterLift, MasterGamma, MasterGain,
    RedLift, RedGamma, RedGain,
    GreenLift, GreenGamma, GreenGain,
    BlueLift, BlueGamma, BlueGain,
    HdrAmount, AmbLight, LogLook, SdrSoftness, Saturation,
    Exposure, ColorTemp, Tint, Bt2408, PqNitLevel,
    SdrPreview, Adjust, P3Clamp,
    DeviceChooser, ChannelChooser, InRangeChooser, OutRangeChooser, MonRangeChooser,
};

// What the panel's encoders and buttons do on each page (0 lift/gamma/gain,
// 1 HDR controls, 2 exposure and output, 3 status), with the Adjust guards.
// Pure tables: the dialog applies the result to its widgets.
//
// slot_encoder:
//   EncoderMove m = PanelControlMap::encoderMove(panelPage, id, adjustOn, delta, encoderAccum);
//   slider:  setValue(value() + m.step), then valueChanged(0)
//   chooser: ChooserStepper::step(chooserOf(m.control), m.step, names, currentIndex)
//
// slot_buttonDown:
//   ButtonAction a = PanelControlMap::buttonAction(panelPage, id, adjustOn);
//   ResetSlider: setValue(a.value), valueChanged(0)
//   Toggle:      flip the check box or group box, valueChanged(0); after
//                SdrPreview also lay out the current page again
//   Commit:      ChooserStepper::commit(chooserOf(a.control)); when it gives
//                an index: setCurrentIndex, stop the chooser timer, lay out the page
//   NextPage:    page = nextPage(page) (cancel chooser stepping when leaving 0 to 2), lay out
//   DoublePress: armed ? resetValues() : arm and start the 500 ms timer
class PanelControlMap
{
public:
    static constexpr int PageCount = 4;
    static constexpr quint32 PageButton = 12;
    static constexpr quint32 ResetAllButton = 13;

    struct EncoderMove
    {
        PanelControl control = PanelControl::None;
        int step = 0; // 0: nothing to do
    };

    struct ButtonAction
    {
        enum Kind { None, ResetSlider, Toggle, Commit, NextPage, DoublePress };
        Kind kind = None;
        PanelControl control = PanelControl::None;
        int value = 0; // ResetSlider: the neutral position
    };

    // The control an encoder drives on a page, or None.
    static PanelControl encoderControl(int page, quint32 encoderId);
    // With Adjust off only the page change and the status page take encoders.
    static bool encoderAllowed(int page, quint32 encoderId, bool adjustOn);
    // The whole encoder road: guard, accumulate (which clears the sum on a
    // step even when the id drives nothing), then the control.
    static EncoderMove encoderMove(int page, quint32 encoderId, bool adjustOn, float increment,
                                   EncoderAccumulator &accumulator);

    // Ids above 13 are ignored; with Adjust off page 0 takes only button 12
    // and page 1 only 2, 5 and 12.
    static bool buttonAllowed(int page, quint32 buttonId, bool adjustOn);
    static ButtonAction buttonAction(int page, quint32 buttonId, bool adjustOn);

    static int nextPage(int page) { return (page + 1) % PageCount; }
    static bool isChooser(PanelControl control) { return chooserOf(control) != ChooserStepper::None; }
    static ChooserStepper::Chooser chooserOf(PanelControl control);
    static const char *objectName(PanelControl control);
};
