#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// One dynamic-range and gamut conversion a chooser offers, with the number
// that stands for it on the unit.
struct DynRangeChoice
{
    const char *name;
    int value;
};

// The one table of the unit parameters the program controls, from which the
// window, the controller, the panel and the simulators take everything they
// know of a parameter: its name on each channel, its kind and range, where it
// starts and what a reset puts it to, its caption and value label, the order
// in which passes write and read-backs read it, and where it sits on the
// control panel.
//
// A value is an integer whatever the kind: a slider's position, a chooser's
// row, or 0 and 1 for a switch.
class ParameterCatalogue
{
public:
    static constexpr int ChannelCount = 5;
    static constexpr int SlotCount = 29;
    // Slots bound to a control: every slot but HdrReset.
    static constexpr int BoundCount = 28;
    static constexpr int ResetCount = 22;
    static constexpr int NoReset = -0x7FFFFFFF;

    enum class Kind { Choice, Switch, Scaled, Nits, Unbound };
    enum Slot {
        InDynRange = 0, OutDynRange = 1, MonDynRange = 2, SdrPreview = 3, HdrAmount = 4, AmbLightComp = 5,
        SdrSoftness = 6, LiftMaster = 7, LiftRed = 8, LiftGreen = 9, LiftBlue = 10, GainMaster = 11, GainRed = 12,
        GainGreen = 13, GainBlue = 14, GammaMaster = 15, GammaRed = 16, GammaGreen = 17, GammaBlue = 18,
        Saturation = 19, LogLook = 20, HdrReset = 21, Bt2408 = 22, Exposure = 23, ColorTemp = 24, Tint = 25,
        PqNitLevel = 26, P3Clamp = 27, ColorfrontMode = 28
    };

    // Where a parameter sits on the control panel. Pages 0 to 2 hold the
    // sliders and switches, page 3 the range choosers.
    struct PanelPlace
    {
        int page = -1;               // -1: not on the panel
        int control = -1;            // the page's encoder that moves it and button that resets or toggles it
        int line = 0;                // display line of its value
        int column = 0;              // display cell (0 to 3) of its value; a switch's label is in `column`, its state in the next
        const char *format = nullptr; // printf format of its value (sliders)
        const char *caption = nullptr; // what the panel display calls it (column 0 of pages 1 and 2; a switch's label)
        int order = 0;               // order in which a page layout writes the values of its page
        const char *onText = nullptr;  // switches: the state cell's text when on
        const char *offText = nullptr; // ... and when off
    };

    struct SlotInfo
    {
        const char *suffix;     // the name after "eParamID_VidN"; slot 2 holds its whole name
        const char *widget;     // object name of the bound control; empty for slot 21
        const char *caption;    // the window's caption
        Kind kind;
        int minimum;            // values; rows for choosers, 0 and 1 for switches
        int maximum;
        int singleStep;         // sliders: the slider's single step (the window's arrow keys and wheel take their own)
        int pageStep;           // sliders: the step of Page Up and Page Down
        int startPosition;
        int resetPosition;      // NoReset when a reset leaves the slot alone
        const char *valueLabel; // object name of the value label, or nullptr
        const DynRangeChoice *choices; // choosers: their list
        int choiceCount;
        PanelPlace panel;
        const char *remoteName; // the parameter's name in remote-control addresses, e.g. "gain/red"
    };

    static const SlotInfo &slot(int slot);
    // Whether an input may change the parameter: one inside the window's
    // Adjust group (the sliders and the P3 clamp) only while Adjust is on.
    static bool changeable(int slot, bool adjustOn);
    // The slot with this remote name, or -1.
    static int slotByRemoteName(const QString &name);

    // The row of names a channel selects: channels outside 0..4 select row 0.
    static int nameRow(int channel);
    static const char *parameterName(int channel, int slot);

    // A channel as the window and the controller name it: "4K/UHD" for
    // channel 0, "Video 1" to "Video 4" for the others.
    static QString channelName(int channel);

    // The bound slots in the order a pass writes them, and a read-back reads them.
    static const std::array<int, BoundCount> &passOrder();
    static const std::array<int, BoundCount> &readOrder();
    // The sliders in the order a reset puts them back.
    static const std::array<int, ResetCount> &resetOrder();

    static const DynRangeChoice inDynRangeChoices[];
    static const DynRangeChoice outDynRangeChoices[];

    // The unit's text of a value: a slider's position as a decimal integer,
    // a chooser row's number, "1" or "0" for a switch. Empty for a row
    // outside the list.
    static QByteArray wireText(int slot, int value);
    // A unit's reply as a value, or nothing when the reply holds none: a
    // slider's position (not yet kept within the range), the first chooser
    // row whose number the reply is, a switch's state (a number of any
    // length: zero is off, blanks around allowed).
    static std::optional<int> fromWire(int slot, const QByteArray &reply);
    // The value label's text: three decimals for scaled sliders, the shortest
    // form of up to six digits for the PQ level.
    static QString labelText(int slot, int position);
    // What the panel shows: position / 1000 for scaled sliders, the position
    // itself for the PQ level.
    static double displayValue(int slot, int position);
    // The other way: a number in shown units as a slider's position, not yet
    // rounded or kept within the range.
    static double positionOf(int slot, double shown);
};
