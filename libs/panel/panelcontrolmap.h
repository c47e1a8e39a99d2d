#pragma once

#include "chooserstepper.h"

#include <QtGlobal>

class EncoderAccumulator;

// What the panel's encoders and buttons do on the current page (the pages
// are those of PanelLayout), with the Adjust guards: with Adjust off, page 0
// takes only the page button, page 1 only the SDR preview and Adjust
// toggles and the page button, and encoders work only on the status page.
class PanelControlMap
{
public:
    // What an encoder or button drives: a parameter slot, a chooser, or nothing.
    struct Target
    {
        int slot = -1;
        ChooserStepper::Chooser chooser = ChooserStepper::None;
        bool isNone() const { return slot < 0 && chooser == ChooserStepper::None; }
    };

    struct EncoderMove
    {
        Target target;
        int step = 0; // 0: nothing to do
    };

    struct ButtonAction
    {
        enum Kind { None, ResetSlider, Toggle, Commit, NextPage, DoublePress };
        Kind kind = None;
        Target target;
        int value = 0; // ResetSlider: the reset position
    };

    static Target target(int page, quint32 id);
    static bool encoderAllowed(int page, quint32 encoderId, bool adjustOn);
    // The whole encoder road: guard, accumulate (which clears the sum on a
    // step even when the id drives nothing), then the target.
    static EncoderMove encoderMove(int page, quint32 encoderId, bool adjustOn, float increment,
                                   EncoderAccumulator &accumulator);
    static bool buttonAllowed(int page, quint32 buttonId, bool adjustOn);
    static ButtonAction buttonAction(int page, quint32 buttonId, bool adjustOn);
    static int nextPage(int page);
};
