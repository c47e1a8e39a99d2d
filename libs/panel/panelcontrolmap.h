#pragma once

#include "panellayout.h"

#include <QtGlobal>

class EncoderAccumulator;

// What the panel's encoders and buttons do on the current page (the pages
// are those of PanelLayout), with the Adjust guards: with Adjust off, page 0
// takes only the page button, page 1 only the SDR preview and Adjust
// toggles and the page button, and encoders work only on the status page.
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

    static bool encoderAllowed(int page, quint32 encoderId, bool adjustOn);
    // The whole encoder road: guard, accumulate (which clears the sum on a
    // step even when the id drives nothing), then the target.
    static EncoderMove encoderMove(int page, quint32 encoderId, bool adjustOn, float increment,
                                   EncoderAccumulator &accumulator);
    static bool buttonAllowed(int page, quint32 buttonId, bool adjustOn);
    static ButtonAction buttonAction(int page, quint32 buttonId, bool adjustOn);
};
