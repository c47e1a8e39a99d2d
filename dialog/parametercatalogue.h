#pragma once

#include <QString>

#include <optional>

// One dynamic-range and gamut conversion a chooser offers, with the number
// that stands for it on the unit.
struct DynRangeChoice
{
    const char *name;
    int value;
};

// The fixed knowledge of which unit parameters the window controls: names
// per channel and slot, the widget bound to each slot, ranges, start and
// reset positions, the choice lists, and the conversions between widget
// positions, shown values and unit texts.
class ParameterCatalogue
{
public:
    static constexpr int ChannelCount = 5;
    static constexpr int SlotCount = 29;
    static constexpr int NoReset = -0x7FFFFFFF;

    enum class Kind { Choice, Switch, Scaled, Nits, Unbound };
    enum Slot {
        InDynRange = 0, OutDynRange = 1, MonDynRange = 2, SdrPreview = 3, HdrAmount = 4, AmbLightComp = 5,
        SdrSoftness = 6, LiftMaster = 7, LiftRed = 8, LiftGreen = 9, LiftBlue = 10, GainMaster = 11, GainRed = 12,
        GainGreen = 13, GainBlue = 14, GammaMaster = 15, GammaRed = 16, GammaGreen = 17, GammaBlue = 18,
        Saturation = 19, LogLook = 20, HdrReset = 21, Bt2408 = 22, Exposure = 23, ColorTemp = 24, Tint = 25,
        PqNitLevel = 26, P3Clamp = 27, ColorfrontMode = 28
    };

    struct SlotInfo
    {
        const char *suffix;     // the name after "eParamID_VidN"; slot 2 holds its whole name
        const char *widget;     // object name of the bound widget; empty for slot 21
        const char *caption;
        Kind kind;
        int minimum;            // positions; rows for choosers, 0..1 for switches
        int maximum;
        int startPosition;
        int resetPosition;      // NoReset when a reset leaves the slot alone
        const char *valueLabel; // object name of the value label, or nullptr
    };

    // The row of names a channel selects: channels outside 0..4 select row 0.
    static int nameRow(int channel);
    static const char *parameterName(int channel, int slot);
    static const SlotInfo &slot(int slot);

    static const DynRangeChoice inDynRangeChoices[];
    static const int inDynRangeChoiceCount;
    static const DynRangeChoice outDynRangeChoices[];
    static const int outDynRangeChoiceCount;

    // Scaled sliders: the shown value is position / 1000.
    static float scaledValue(int position);
    // The unit text of a slider position: the position as a decimal integer.
    static QString deviceText(int position);
    // The value label text: three decimals for scaled sliders, the shortest
    // form of up to six digits for the PQ level.
    static QString labelText(Kind kind, float value);
    // The slider position of a stored value.
    static int positionOfValue(Kind kind, float value);
    // A unit reply as a slider position: a decimal integer. A reply that is
    // not a number gives no position, so it can never move a control.
    static std::optional<int> positionFromDeviceText(const QString &reply);
    // The first row whose value equals the reply read as an integer, or -1.
    static int choiceRow(const DynRangeChoice *choices, int count, const QString &reply);
    static QString choiceText(const DynRangeChoice *choices, int count, int row);
    // Switches: a reply is read as a whole number, blanks around it allowed;
    // zero is off, any other number on. A reply that is no number (the empty
    // one too) gives no state, so it can never move a switch.
    static std::optional<bool> switchFromDeviceText(const QString &reply);
    static QString switchText(bool on);
};
