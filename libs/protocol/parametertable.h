#pragma once

#include <array>
#include <cstddef>
#include <iterator>

// The one table of the unit parameters the program controls. Everything the
// program knows of a parameter is in its row: its name on the units, its kind
// and range, where it starts and what a reset puts it to, where the window
// shows it, where it sits on the control panel, its remote-control name and
// the order in which passes write and read-backs read it. Counts, orders and
// the rows of names derive from the rows (see ParameterCatalogue), and the
// checks at the end of this file stop the build when two rows disagree.
//
// Adding a parameter is adding a row (and, for code that must name it, a
// name in ParameterSlots). A slider or a switch in the Adjust group needs
// nothing else: the window builds its row, and the units, the panel, the
// simulator and remote control take it from here.

// One dynamic-range and gamut conversion a chooser offers, with the number
// that stands for it on the unit.
struct DynRangeChoice
{
    const char *name;
    int value;
};

// The names of the slots the code refers to. A slot is a parameter's place
// in a channel's row of names; each row of the table states its own.
struct ParameterSlots
{
    enum Slot {
        InDynRange = 0, OutDynRange = 1, MonDynRange = 2, SdrPreview = 3, HdrAmount = 4, AmbLightComp = 5,
        SdrSoftness = 6, LiftMaster = 7, LiftRed = 8, LiftGreen = 9, LiftBlue = 10, GainMaster = 11, GainRed = 12,
        GainGreen = 13, GainBlue = 14, GammaMaster = 15, GammaRed = 16, GammaGreen = 17, GammaBlue = 18,
        Saturation = 19, LogLook = 20, HdrReset = 21, Bt2408 = 22, Exposure = 23, ColorTemp = 24, Tint = 25,
        PqNitLevel = 26, P3Clamp = 27, ColorfrontMode = 28
    };
    // A reset position of a parameter that a reset leaves alone.
    static constexpr int NoReset = -0x7FFFFFFF;
};

// A value is an integer whatever the kind: a slider's position, a chooser's
// row, or 0 and 1 for a switch. Scaled sliders show position / 1000, the nit
// slider its position.
enum class ParameterKind { Choice, Switch, Scaled, Nits, Unbound };

// Where the window shows a parameter: a control of its form, found by object
// name, or a row of the Adjust group that the window builds from the table.
enum class WindowPlace { None, Form, AdjustGroup };

// The status page's choosers (see chooserRows).
enum class PanelChooser { None, Device, Channel, InRange, OutRange, MonRange };

// Where a parameter sits on pages 0 to 2 of the control panel.
struct PanelPlace
{
    int page = -1;                 // -1: not on these pages
    int control = -1;              // the page's encoder that moves it and button that resets or toggles it
    int line = 0;                  // display line of its value
    int column = 0;                // display cell (0 to 3) of its value; a switch's label is in `column`, its state in the next
    const char *format = nullptr;  // printf format of its value (sliders)
    const char *caption = nullptr; // what the panel display calls it (column 0 of pages 1 and 2; a switch's label)
    int order = 0;                 // order in which a page layout writes the values of its page
    const char *onText = nullptr;  // switches: the state cell's text when on
    const char *offText = nullptr; // ... and when off
};

struct ParameterRow
{
    int slot = -1;
    const char *suffix = nullptr; // the name after "eParamID_VidN", or after "eParamID_" when `shared`
    bool shared = false;          // one parameter for every channel
    const char *widget = nullptr; // object name of the window's control
    const char *caption = nullptr; // the window's caption
    ParameterKind kind = ParameterKind::Unbound;
    int minimum = 0; // values; rows for choosers, 0 and 1 for switches
    int maximum = 0;
    int singleStep = 0; // sliders: the slider's single step (the window's arrow keys and wheel take their own)
    int pageStep = 0;   // sliders: the step of Page Up and Page Down
    int startPosition = 0;
    int resetPosition = ParameterSlots::NoReset;
    const DynRangeChoice *choices = nullptr; // choosers: their list
    int choiceCount = 0;
    WindowPlace window = WindowPlace::None;
    PanelPlace panel;
    const char *remoteName = nullptr; // the parameter's name in remote-control addresses, e.g. "gain/red"
    int passRank = -1;                // place in a pass's writes, 0 first
    int readRank = -1;                // place in a read-back's reads, 0 first

    constexpr ParameterRow shown(WindowPlace place) const
    {
        ParameterRow row = *this;
        row.window = place;
        return row;
    }
    constexpr ParameterRow onPanel(PanelPlace place) const
    {
        ParameterRow row = *this;
        row.panel = place;
        return row;
    }
    constexpr ParameterRow remote(const char *name) const
    {
        ParameterRow row = *this;
        row.remoteName = name;
        return row;
    }
    constexpr ParameterRow inNits() const
    {
        ParameterRow row = *this;
        row.kind = ParameterKind::Nits;
        return row;
    }
    constexpr ParameterRow oneForAllChannels() const
    {
        ParameterRow row = *this;
        row.shared = true;
        return row;
    }
    // Its place among the writes of a pass and among the reads of a read-back.
    constexpr ParameterRow passAndRead(int pass, int read) const
    {
        ParameterRow row = *this;
        row.passRank = pass;
        row.readRank = read;
        return row;
    }
};

// A chooser of the status page (page 3): its encoder steps through the
// entries, showing the pending one on its line, and its button commits it.
struct ChooserRow
{
    PanelChooser chooser;
    int slot;               // the parameter it chooses; -1 for the unit and channel choosers
    int control;            // its encoder and button
    int line;               // its status line
    const char *lineFormat; // the status line of the current entry (%1), padded to the line; nullptr: the unit's own line
    const char *stepFormat; // the line of the pending entry while stepping ...
    int stepWidth;          // ... padded to this width
};

namespace ParameterTable {

using S = ParameterSlots;
using K = ParameterKind;

// The names of the channels the units have: channel 0 is a unit's one
// 4K/UHD channel, 1 to 4 its four video channels.
inline constexpr const char *channelNames[] = {"4K/UHD", "Video 1", "Video 2", "Video 3", "Video 4"};

inline constexpr DynRangeChoice inDynRangeChoices[] = {
    {"SDR BT.709 100 Nits", 0},
    {"SDR Extended BT.709", 15},
    {"PQ BT.2020 1000 Nits", 1},
    {"PQ P3D65 1000 Nits", 2},
    {"Hybrid Log Gamma BT.2100", 3},
    {"HLG Extended BT.2100", 12},
    {"HLG Extended BT.709", 13},
    {"Sony SLog3 S-Gamut3", 4},
    {"Sony SLog3 S-Gamut3 Cine", 10},
    {"Sony SLog3 BT.2020 ", 11},
    {"Arri Log C Wide Gamut", 5},
    {"Panasonic V-Log", 6},
    {"RedLog3G10 Wide Gamut", 7},
    {"Canon Log 2", 8},
    {"Canon Log 3", 9},
};

inline constexpr DynRangeChoice outDynRangeChoices[] = {
    {"SDR BT.709 100 Nits", 0},
    {"SDR Extended BT.709", 9},
    {"PQ BT.2020 1000 Nits", 1},
    {"PQ P3D65 1000 Nits", 10},
    {"Hybrid Log Gamma BT.2100", 2},
    {"HLG Extended BT.709", 7},
    {"HLG Extended BT.2100", 6},
    {"Sony SLog3 S-Gamut3", 3},
    {"Sony SLog3 BT.2020 ", 4},
    {"Arri Log C Wide Gamut", 5},
};

// Sliders step by 1 and page by 100 (the nit slider in whole nits), start
// where a reset puts them and sit in the Adjust group.
constexpr ParameterRow slider(int slot, const char *suffix, const char *widget, const char *caption, int minimum,
                              int maximum, int start)
{
    ParameterRow row;
    row.slot = slot;
    row.suffix = suffix;
    row.widget = widget;
    row.caption = caption;
    row.kind = K::Scaled;
    row.minimum = minimum;
    row.maximum = maximum;
    row.singleStep = 1;
    row.pageStep = 100;
    row.startPosition = start;
    row.resetPosition = start;
    row.window = WindowPlace::AdjustGroup;
    return row;
}

// Switches are form controls unless shown in the Adjust group; a reset leaves them alone.
constexpr ParameterRow switchRow(int slot, const char *suffix, const char *widget, const char *caption, int start)
{
    ParameterRow row;
    row.slot = slot;
    row.suffix = suffix;
    row.widget = widget;
    row.caption = caption;
    row.kind = K::Switch;
    row.maximum = 1;
    row.startPosition = start;
    row.window = WindowPlace::Form;
    return row;
}

template<std::size_t N>
constexpr ParameterRow chooser(int slot, const char *suffix, const char *widget, const char *caption,
                               const DynRangeChoice (&list)[N])
{
    ParameterRow row;
    row.slot = slot;
    row.suffix = suffix;
    row.widget = widget;
    row.caption = caption;
    row.kind = K::Choice;
    row.maximum = int(N) - 1;
    row.choices = list;
    row.choiceCount = int(N);
    row.window = WindowPlace::Form;
    return row;
}

// A parameter the units have that no control is bound to.
constexpr ParameterRow unbound(int slot, const char *suffix)
{
    ParameterRow row;
    row.slot = slot;
    row.suffix = suffix;
    return row;
}

inline constexpr char GridFormat[] = "%5.3f"; // pages 0 and 2
inline constexpr char HdrFormat[] = " %4.3f"; // page 1
inline constexpr char NitsFormat[] = "%4.0f";

// Page 0 is a grid: encoder and button 3 x row + column, rows master, red,
// green and blue, columns lift, gamma and gain; a page layout writes each
// row's lift, gain and gamma in turn.
constexpr PanelPlace grid(int row, int column)
{
    return PanelPlace{0, 3 * row + column, row + 1, column + 1, GridFormat, nullptr, 3 * row + (column == 0 ? 0 : 3 - column),
                      nullptr, nullptr};
}
constexpr PanelPlace hdr(int control, int line, const char *caption, int order)
{
    return PanelPlace{1, control, line, 1, HdrFormat, caption, order, nullptr, nullptr};
}
constexpr PanelPlace output(int control, int line, const char *caption, const char *format = GridFormat)
{
    return PanelPlace{2, control, line, 2, format, caption, line, nullptr, nullptr};
}
constexpr PanelPlace toggle(int control, int line, const char *label, const char *on, const char *off, int order)
{
    return PanelPlace{1, control, line, 2, nullptr, label, order, on, off};
}

// In the order of the window, top to bottom: the form's choosers and
// switches, then the Adjust group's rows.
inline constexpr ParameterRow rows[] = {
    chooser(S::InDynRange, "DynamicRangeAndGamut", "inDynRangeGamutChoiceComboBox", "In DynRange&Gamut", inDynRangeChoices)
        .remote("range/in").passAndRead(1, 1),
    chooser(S::OutDynRange, "DynamicRangeAndGamutOut", "outDynRangeGamutChoiceComboBox", "Out DynRange&Gamut",
            outDynRangeChoices)
        .remote("range/out").passAndRead(2, 2),
    chooser(S::MonDynRange, "MonDynamicRangeAndGamutOut", "monDynRangeGamutChoiceComboBox", "Mon DynRange&Gamut",
            outDynRangeChoices)
        .oneForAllChannels().remote("range/mon").passAndRead(3, 3),
    switchRow(S::SdrPreview, "SdrPreview", "clampCheckBox", "SDR Preview", 0)
        .onPanel(toggle(2, 0, "SDR Previ", "iew On", "iew Off", 5)).remote("sdr-preview").passAndRead(4, 4),
    // The Adjust group's own check box; a checkable group box starts checked.
    switchRow(S::ColorfrontMode, "ColorfrontMode", "adjustGroupBox", "Adjust", 1)
        .onPanel(toggle(5, 2, "Adjust  ", "    On", "    Off", 6)).remote("adjust").passAndRead(0, 0),

    slider(S::HdrAmount, "ColorHDRAmount", "hdrAmountSlider", "HDR Amount", -1000, 1000, 0)
        .onPanel(hdr(0, 0, "HDRAmount", 2)).remote("hdr-amount").passAndRead(19, 5),
    slider(S::AmbLightComp, "AmbLightComp", "hdrRangeSlider", "Amb Light Comp", -1000, 1000, 0)
        .onPanel(hdr(3, 1, "AmbLight", 3)).remote("amb-light").passAndRead(20, 6),
    slider(S::LogLook, "ColorHDRLogLook", "lookSlider", "HDR Log Look", 0, 1000, 500)
        .onPanel(hdr(6, 2, "LogLook", 4)).remote("log-look").passAndRead(21, 21),
    slider(S::SdrSoftness, "ColorHDRSoftness", "sdrSoftnessSlider", "SDR Softness", 0, 1000, 0)
        .onPanel(hdr(9, 3, "SDRSoft", 1)).remote("sdr-softness").passAndRead(18, 7),
    slider(S::LiftMaster, "ColorHDRLiftMaster", "masterLiftSlider", "Master Lift", -1000, 1000, 0)
        .onPanel(grid(0, 0)).remote("lift/master").passAndRead(5, 8),
    slider(S::LiftRed, "ColorHDRLiftRed", "redLiftSlider", "Red Lift", -1000, 1000, 0)
        .onPanel(grid(1, 0)).remote("lift/red").passAndRead(6, 9),
    slider(S::LiftGreen, "ColorHDRLiftGreen", "greenLiftSlider", "Green Lift", -1000, 1000, 0)
        .onPanel(grid(2, 0)).remote("lift/green").passAndRead(7, 10),
    slider(S::LiftBlue, "ColorHDRLiftBlue", "blueLiftSlider", "Blue Lift", -1000, 1000, 0)
        .onPanel(grid(3, 0)).remote("lift/blue").passAndRead(8, 11),
    slider(S::GammaMaster, "ColorHDRGammaMaster", "masterGammaSlider", "Master Gamma", 0, 2000, 1000)
        .onPanel(grid(0, 1)).remote("gamma/master").passAndRead(13, 16),
    slider(S::GammaRed, "ColorHDRGammaRed", "redGammaSlider", "Red Gamma", 0, 2000, 1000)
        .onPanel(grid(1, 1)).remote("gamma/red").passAndRead(14, 17),
    slider(S::GammaGreen, "ColorHDRGammaGreen", "greenGammaSlider", "Green Gamma", 0, 2000, 1000)
        .onPanel(grid(2, 1)).remote("gamma/green").passAndRead(15, 18),
    slider(S::GammaBlue, "ColorHDRGammaBlue", "blueGammaSlider", "Blue Gamma", 0, 2000, 1000)
        .onPanel(grid(3, 1)).remote("gamma/blue").passAndRead(16, 19),
    slider(S::GainMaster, "ColorHDRGainMaster", "masterGainSlider", "Master Gain", 0, 5000, 1000)
        .onPanel(grid(0, 2)).remote("gain/master").passAndRead(9, 12),
    slider(S::GainRed, "ColorHDRGainRed", "redGainSlider", "Red Gain", 0, 5000, 1000)
        .onPanel(grid(1, 2)).remote("gain/red").passAndRead(10, 13),
    slider(S::GainGreen, "ColorHDRGainGreen", "greenGainSlider", "Green Gain", 0, 5000, 1000)
        .onPanel(grid(2, 2)).remote("gain/green").passAndRead(11, 14),
    slider(S::GainBlue, "ColorHDRGainBlue", "blueGainSlider", "Blue Gain", 0, 5000, 1000)
        .onPanel(grid(3, 2)).remote("gain/blue").passAndRead(12, 15),
    slider(S::Saturation, "ColorHDRSaturation", "saturationSlider", "Saturation", 0, 2000, 1000)
        .onPanel(hdr(10, 4, "Sat", 0)).remote("saturation").passAndRead(17, 20),
    slider(S::Exposure, "ColorHDRExposure", "exposureSlider", "Exposure", -4000, 4000, 0)
        .onPanel(output(0, 0, "Exposure")).remote("exposure").passAndRead(23, 23),
    slider(S::ColorTemp, "ColorHDRColorTemp", "colorTempSlider", "Color Temp", -10000, 10000, 0)
        .onPanel(output(3, 1, "Col Temp")).remote("color-temp").passAndRead(24, 24),
    slider(S::Tint, "ColorHDRTint", "tintSlider", "Tint", -16000, 16000, 0)
        .onPanel(output(6, 2, "Tint")).remote("tint").passAndRead(25, 25),
    slider(S::PqNitLevel, "ColorHDRPQoutNitLvl", "pqoutnitLevelSlider", "PQ Output Nit Level", 48, 4000, 1000)
        .inNits().onPanel(output(10, 4, "PQ Nit Level", NitsFormat)).remote("pq-level").passAndRead(27, 27),
    switchRow(S::P3Clamp, "P3ColorspaceClamp", "clampP3CheckBox", "P3 ColorSpace Clamp", 0)
        .shown(WindowPlace::AdjustGroup).onPanel(toggle(8, 4, "P3 Clamp", "    On", "    Off", 7)).remote("p3-clamp")
        .passAndRead(26, 26),
    slider(S::Bt2408, "ColorHDRBT2408", "bt2408Slider", "BT.2408 Mode", 0, 1000, 0)
        .onPanel(output(9, 3, "BT2408")).remote("bt2408").passAndRead(22, 22),

    // The units have it on every channel; nothing here reads or writes it.
    unbound(S::HdrReset, "ColorHDRReset"),
};

// The status page's choosers, top to bottom. While stepping, the range
// lines carry two blanks after their label where the plain lines have one
// (the input's label is a character shorter, so it has two on both).
inline constexpr ChooserRow chooserRows[] = {
    {PanelChooser::Device, -1, 0, 0, nullptr, "**%1", 32},
    {PanelChooser::Channel, -1, 3, 1, "%1", "**%1", 30},
    {PanelChooser::InRange, S::InDynRange, 6, 2, "InDynRg  %1", "**InDynRg  %1", 32},
    {PanelChooser::OutRange, S::OutDynRange, 9, 3, "OutDynRg %1", "**OutDynRg  %1", 32},
    {PanelChooser::MonRange, S::MonDynRange, 10, 4, "MonDynRg %1", "**MonDynRg  %1", 32},
};

// What derives from the rows, and the checks that they agree.

inline constexpr int slotCount = int(std::size(rows));

constexpr bool isBound(const ParameterRow &row)
{
    return row.kind != K::Unbound;
}
constexpr bool isReset(const ParameterRow &row)
{
    return row.resetPosition != S::NoReset;
}
template<typename Keep>
constexpr int countRows(Keep keep)
{
    int count = 0;
    for (const ParameterRow &row : rows)
        count += keep(row) ? 1 : 0;
    return count;
}
inline constexpr int boundCount = countRows(isBound);
inline constexpr int resetCount = countRows(isReset);

// Each slot's row; -1 for a slot no row states, slotCount for one stated twice.
constexpr std::array<int, slotCount> rowsOfSlots()
{
    std::array<int, slotCount> found{};
    for (int &row : found)
        row = -1;
    for (int i = 0; i < slotCount; ++i) {
        const int slot = rows[i].slot;
        if (slot >= 0 && slot < slotCount)
            found[std::size_t(slot)] = found[std::size_t(slot)] == -1 ? i : slotCount;
    }
    return found;
}
inline constexpr std::array<int, slotCount> rowOfSlot = rowsOfSlots();

// The bound slots by their rank (pass or read); -1 where no row has the
// rank, slotCount where two have it.
template<int ParameterRow::*Rank>
constexpr std::array<int, boundCount> byRank()
{
    std::array<int, boundCount> ranked{};
    for (int &slot : ranked)
        slot = -1;
    for (const ParameterRow &row : rows) {
        const int rank = row.*Rank;
        if (isBound(row) && rank >= 0 && rank < boundCount)
            ranked[std::size_t(rank)] = ranked[std::size_t(rank)] == -1 ? row.slot : slotCount;
    }
    return ranked;
}
inline constexpr std::array<int, boundCount> passSlots = byRank<&ParameterRow::passRank>();
inline constexpr std::array<int, boundCount> readSlots = byRank<&ParameterRow::readRank>();

// A reset puts the sliders back in the order a pass writes them.
constexpr std::array<int, resetCount> resetsInPassOrder()
{
    std::array<int, resetCount> ranked{};
    std::size_t next = 0;
    for (int slot : passSlots) {
        if (slot >= 0 && slot < slotCount && rowOfSlot[std::size_t(slot)] >= 0 && rowOfSlot[std::size_t(slot)] < slotCount &&
            isReset(rows[rowOfSlot[std::size_t(slot)]]) && next < ranked.size())
            ranked[next++] = slot;
    }
    return ranked;
}
inline constexpr std::array<int, resetCount> resetSlots = resetsInPassOrder();

// Every entry found, none found twice.
template<std::size_t N>
constexpr bool allFound(const std::array<int, N> &ranked)
{
    for (int slot : ranked) {
        if (slot < 0 || slot >= slotCount)
            return false;
    }
    return true;
}
static_assert(allFound(rowOfSlot), "every slot from 0 to the row count is stated by exactly one row");
static_assert(allFound(passSlots), "the bound rows' pass ranks are 0 to boundCount - 1, each once");
static_assert(allFound(readSlots), "the bound rows' read ranks are 0 to boundCount - 1, each once");

} // namespace ParameterTable
