#pragma once

#include "panellayout.h"

#include <QtGlobal>

class EncoderAccumulator;

// What the panel's encoders and buttons do on the current page (the pages
// are those of PanelLayout), with the parameter table's Adjust rule: with
// Adjust off, a control of a parameter inside the Adjust group does nothing
// (an encoder's turns do not even add up), nor does the reset-all button;
// the page button, the switches outside the group and the status page's
// choosers always work.
class PanelControlMap
{
public:
    struct EncoderMove
    {
        PanelLayout::Control target;
        int step = 0; // 0: nothing to do
    };

    struct ButtonAction
    {
        enum Kind { None, ResetSlider, Toggle, Commit, NextPage, DoublePress };
        Kind kind = None;
        PanelLayout::Control target;
        int value = 0; // ResetSlider: the reset position
    };

    // The whole encoder road: guard, accumulate (which clears the sum on a
    // step even when the id drives nothing), then the target.
    static EncoderMove encoderMove(int page, quint32 encoderId, bool adjustOn, float increment,
                                   EncoderAccumulator &accumulator);
    static bool buttonAllowed(int page, quint32 buttonId, bool adjustOn);
    static ButtonAction buttonAction(int page, quint32 buttonId, bool adjustOn);
};
