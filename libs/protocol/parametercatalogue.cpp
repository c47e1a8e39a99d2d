#include "parametercatalogue.h"

#include <iterator>

// One channel's row of names; slot 2 is the same parameter on every channel.
#define PRISMO_NAME_ROW(n)                                                                                           \
    {                                                                                                                  \
        "eParamID_Vid" #n "DynamicRangeAndGamut", "eParamID_Vid" #n "DynamicRangeAndGamutOut",                       \
            "eParamID_MonDynamicRangeAndGamutOut", "eParamID_Vid" #n "SdrPreview",                                    \
            "eParamID_Vid" #n "ColorHDRAmount", "eParamID_Vid" #n "AmbLightComp",                                     \
            "eParamID_Vid" #n "ColorHDRSoftness", "eParamID_Vid" #n "ColorHDRLiftMaster",                             \
            "eParamID_Vid" #n "ColorHDRLiftRed", "eParamID_Vid" #n "ColorHDRLiftGreen",                               \
            "eParamID_Vid" #n "ColorHDRLiftBlue", "eParamID_Vid" #n "ColorHDRGainMaster",                             \
            "eParamID_Vid" #n "ColorHDRGainRed", "eParamID_Vid" #n "ColorHDRGainGreen",                               \
            "eParamID_Vid" #n "ColorHDRGainBlue", "eParamID_Vid" #n "ColorHDRGammaMaster",                            \
            "eParamID_Vid" #n "ColorHDRGammaRed", "eParamID_Vid" #n "ColorHDRGammaGreen",                             \
            "eParamID_Vid" #n "ColorHDRGammaBlue", "eParamID_Vid" #n "ColorHDRSaturation",                            \
            "eParamID_Vid" #n "ColorHDRLogLook", "eParamID_Vid" #n "ColorHDRReset", "eParamID_Vid" #n "ColorHDRBT2408", \
            "eParamID_Vid" #n "ColorHDRExposure", "eParamID_Vid" #n "ColorHDRColorTemp",                              \
            "eParamID_Vid" #n "ColorHDRTint", "eParamID_Vid" #n "ColorHDRPQoutNitLvl",                                \
            "eParamID_Vid" #n "P3ColorspaceClamp", "eParamID_Vid" #n "ColorfrontMode"                                 \
    }

const DynRangeChoice ParameterCatalogue::inDynRangeChoices[] = {
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

const DynRangeChoice ParameterCatalogue::outDynRangeChoices[] = {
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

namespace {

using PC = ParameterCatalogue;
using K = PC::Kind;
using P = PC::PanelPlace;
constexpr int NR = PC::NoReset;

const char *const parameterNames[PC::ChannelCount][PC::SlotCount] = {
    PRISMO_NAME_ROW(0), PRISMO_NAME_ROW(1), PRISMO_NAME_ROW(2), PRISMO_NAME_ROW(3), PRISMO_NAME_ROW(4),
};

const char Grid[] = "%5.3f";   // pages 0 and 2
const char Hdr[] = " %4.3f";   // page 1
const char Nits[] = "%4.0f";

// Page 0 is a grid: encoder and button 3 x row + column, rows master, red,
// green and blue, columns lift, gamma and gain; a page layout writes each
// row's lift, gain and gamma in turn.
constexpr P grid(int row, int column)
{
    return P{0, 3 * row + column, row + 1, column + 1, Grid, nullptr, 3 * row + (column == 0 ? 0 : 3 - column), nullptr,
             nullptr};
}
constexpr P hdr(int control, int line, const char *caption, int order)
{
    return P{1, control, line, 1, Hdr, caption, order, nullptr, nullptr};
}
constexpr P output(int control, int line, const char *caption, const char *format = Grid)
{
    return P{2, control, line, 2, format, caption, line, nullptr, nullptr};
}
constexpr P toggle(int control, int line, const char *label, const char *on, const char *off, int order)
{
    return P{1, control, line, 2, nullptr, label, order, on, off};
}
constexpr P chooser(int control, int line)
{
    return P{3, control, line, 0, nullptr, nullptr, line, nullptr, nullptr};
}

// Sliders: single step 1, page step 100; the PQ level steps in whole nits.
#define SLIDER(suffix, widget, caption, kind, min, max, start, label, panel, remote)                                  \
    {suffix, widget, caption, kind, min, max, 1, 100, start, start, label, nullptr, 0, panel, remote}
#define SWITCH(suffix, widget, caption, start, panel, remote)                                                         \
    {suffix, widget, caption, K::Switch, 0, 1, 0, 0, start, NR, nullptr, nullptr, 0, panel, remote}
#define CHOOSER(suffix, widget, caption, list, panel, remote)                                                         \
    {suffix, widget, caption, K::Choice, 0, int(std::size(list)) - 1, 0, 0, 0, NR, nullptr, list, int(std::size(list)), \
     panel, remote}

const PC::SlotInfo slotTable[PC::SlotCount] = {
    CHOOSER("DynamicRangeAndGamut", "inDynRangeGamutChoiceComboBox", "In DynRange&Gamut", PC::inDynRangeChoices,
            chooser(6, 2), "range/in"),
    CHOOSER("DynamicRangeAndGamutOut", "outDynRangeGamutChoiceComboBox", "Out DynRange&Gamut", PC::outDynRangeChoices,
            chooser(9, 3), "range/out"),
    CHOOSER("eParamID_MonDynamicRangeAndGamutOut", "monDynRangeGamutChoiceComboBox", "Mon DynRange&Gamut",
            PC::outDynRangeChoices, chooser(10, 4), "range/mon"),
    SWITCH("SdrPreview", "clampCheckBox", "SDR Preview", 0, toggle(2, 0, "SDR Previ", "iew On", "iew Off", 5), "sdr-preview"),
    SLIDER("ColorHDRAmount", "hdrAmountSlider", "HDR Amount", K::Scaled, -1000, 1000, 0, "hdrAmountLabel",
           hdr(0, 0, "HDRAmount", 2), "hdr-amount"),
    SLIDER("AmbLightComp", "hdrRangeSlider", "Amb Light Comp", K::Scaled, -1000, 1000, 0, "hdrRangeLabel",
           hdr(3, 1, "AmbLight", 3), "amb-light"),
    SLIDER("ColorHDRSoftness", "sdrSoftnessSlider", "SDR Softness", K::Scaled, 0, 1000, 0, "sdrSoftnessLabel",
           hdr(9, 3, "SDRSoft", 1), "sdr-softness"),
    SLIDER("ColorHDRLiftMaster", "masterLiftSlider", "Master Lift", K::Scaled, -1000, 1000, 0, "masterLiftLabel", grid(0, 0), "lift/master"),
    SLIDER("ColorHDRLiftRed", "redLiftSlider", "Red Lift", K::Scaled, -1000, 1000, 0, "redLiftLabel", grid(1, 0), "lift/red"),
    SLIDER("ColorHDRLiftGreen", "greenLiftSlider", "Green Lift", K::Scaled, -1000, 1000, 0, "greenLiftLabel", grid(2, 0), "lift/green"),
    SLIDER("ColorHDRLiftBlue", "blueLiftSlider", "Blue Lift", K::Scaled, -1000, 1000, 0, "blueLiftLabel", grid(3, 0), "lift/blue"),
    SLIDER("ColorHDRGainMaster", "masterGainSlider", "Master Gain", K::Scaled, 0, 5000, 1000, "masterGainLabel", grid(0, 2), "gain/master"),
    SLIDER("ColorHDRGainRed", "redGainSlider", "Red Gain", K::Scaled, 0, 5000, 1000, "redGainLabel", grid(1, 2), "gain/red"),
    SLIDER("ColorHDRGainGreen", "greenGainSlider", "Green Gain", K::Scaled, 0, 5000, 1000, "greenGainLabel", grid(2, 2), "gain/green"),
    SLIDER("ColorHDRGainBlue", "blueGainSlider", "Blue Gain", K::Scaled, 0, 5000, 1000, "blueGainLabel", grid(3, 2), "gain/blue"),
    SLIDER("ColorHDRGammaMaster", "masterGammaSlider", "Master Gamma", K::Scaled, 0, 2000, 1000, "masterGammaLabel",
           grid(0, 1), "gamma/master"),
    SLIDER("ColorHDRGammaRed", "redGammaSlider", "Red Gamma", K::Scaled, 0, 2000, 1000, "redGammaLabel", grid(1, 1), "gamma/red"),
    SLIDER("ColorHDRGammaGreen", "greenGammaSlider", "Green Gamma", K::Scaled, 0, 2000, 1000, "greenGammaLabel",
           grid(2, 1), "gamma/green"),
    SLIDER("ColorHDRGammaBlue", "blueGammaSlider", "Blue Gamma", K::Scaled, 0, 2000, 1000, "blueGammaLabel", grid(3, 1), "gamma/blue"),
    SLIDER("ColorHDRSaturation", "saturationSlider", "Saturation", K::Scaled, 0, 2000, 1000, "saturationLabel",
           hdr(10, 4, "Sat", 0), "saturation"),
    SLIDER("ColorHDRLogLook", "lookSlider", "HDR Log Look", K::Scaled, 0, 1000, 500, "lookLabel", hdr(6, 2, "LogLook", 4), "log-look"),
    {"ColorHDRReset", "", "", K::Unbound, 0, 0, 0, 0, 0, NR, nullptr, nullptr, 0, P{}, nullptr},
    SLIDER("ColorHDRBT2408", "bt2408Slider", "BT.2408 Mode", K::Scaled, 0, 1000, 0, "bt2408Label", output(9, 3, "BT2408"), "bt2408"),
    SLIDER("ColorHDRExposure", "exposureSlider", "Exposure", K::Scaled, -4000, 4000, 0, "exposureLabel",
           output(0, 0, "Exposure"), "exposure"),
    SLIDER("ColorHDRColorTemp", "colorTempSlider", "Color Temp", K::Scaled, -10000, 10000, 0, "colorTempLabel",
           output(3, 1, "Col Temp"), "color-temp"),
    SLIDER("ColorHDRTint", "tintSlider", "Tint", K::Scaled, -16000, 16000, 0, "tintLabel", output(6, 2, "Tint"), "tint"),
    SLIDER("ColorHDRPQoutNitLvl", "pqoutnitLevelSlider", "PQ Output Nit Level", K::Nits, 48, 4000, 1000,
           "pqoutnitLevelLabel", output(10, 4, "PQ Nit Level", Nits), "pq-level"),
    SWITCH("P3ColorspaceClamp", "clampP3CheckBox", "P3 ColorSpace Clamp", 0, toggle(8, 4, "P3 Clamp", "    On", "    Off", 7), "p3-clamp"),
    // A checkable group box starts checked.
    SWITCH("ColorfrontMode", "adjustGroupBox", "Adjust", 1, toggle(5, 2, "Adjust  ", "    On", "    Off", 6), "adjust"),
};

#undef SLIDER
#undef SWITCH
#undef CHOOSER

const std::array<int, PC::BoundCount> passTable = {
    PC::ColorfrontMode, PC::InDynRange, PC::OutDynRange, PC::MonDynRange, PC::SdrPreview, PC::LiftMaster, PC::LiftRed,
    PC::LiftGreen, PC::LiftBlue, PC::GainMaster, PC::GainRed, PC::GainGreen, PC::GainBlue, PC::GammaMaster,
    PC::GammaRed, PC::GammaGreen, PC::GammaBlue, PC::Saturation, PC::SdrSoftness, PC::HdrAmount, PC::AmbLightComp,
    PC::LogLook, PC::Bt2408, PC::Exposure, PC::ColorTemp, PC::Tint, PC::P3Clamp, PC::PqNitLevel,
};

const std::array<int, PC::BoundCount> readTable = {
    PC::ColorfrontMode, PC::InDynRange, PC::OutDynRange, PC::MonDynRange, PC::SdrPreview, PC::HdrAmount,
    PC::AmbLightComp, PC::SdrSoftness, PC::LiftMaster, PC::LiftRed, PC::LiftGreen, PC::LiftBlue, PC::GainMaster,
    PC::GainRed, PC::GainGreen, PC::GainBlue, PC::GammaMaster, PC::GammaRed, PC::GammaGreen, PC::GammaBlue,
    PC::Saturation, PC::LogLook, PC::Bt2408, PC::Exposure, PC::ColorTemp, PC::Tint, PC::P3Clamp, PC::PqNitLevel,
};

const std::array<int, PC::ResetCount> resetTable = {
    PC::LiftMaster, PC::LiftRed, PC::LiftGreen, PC::LiftBlue, PC::GainMaster, PC::GainRed, PC::GainGreen,
    PC::GainBlue, PC::GammaMaster, PC::GammaRed, PC::GammaGreen, PC::GammaBlue, PC::Saturation, PC::SdrSoftness,
    PC::HdrAmount, PC::AmbLightComp, PC::LogLook, PC::Bt2408, PC::Exposure, PC::ColorTemp, PC::Tint, PC::PqNitLevel,
};

// A decimal integer, blanks around it allowed, within 32 bits.
std::optional<int> number(const QByteArray &reply)
{
    bool ok = false;
    const int value = reply.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A number of any count of digits, blanks around it allowed: a switch needs
// only to know whether it is zero.
std::optional<int> switchState(const QByteArray &reply)
{
    const QByteArray text = reply.trimmed();
    const int start = text.startsWith('+') || text.startsWith('-') ? 1 : 0;
    if (start == text.size())
        return std::nullopt;
    bool on = false;
    for (int i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        on = on || text[i] != '0';
    }
    return on ? 1 : 0;
}

} // namespace

bool ParameterCatalogue::changeable(int slot, bool adjustOn)
{
    const Kind kind = slotTable[slot].kind;
    return adjustOn || !(kind == Kind::Scaled || kind == Kind::Nits || slot == P3Clamp);
}

int ParameterCatalogue::slotByRemoteName(const QString &name)
{
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (slotTable[slot].remoteName && name == QLatin1String(slotTable[slot].remoteName))
            return slot;
    }
    return -1;
}

int ParameterCatalogue::nameRow(int channel)
{
    return static_cast<unsigned>(channel) < static_cast<unsigned>(ChannelCount) ? channel : 0;
}

const char *ParameterCatalogue::parameterName(int channel, int slot)
{
    return parameterNames[nameRow(channel)][slot];
}

QString ParameterCatalogue::channelName(int channel)
{
    return channel == 0 ? QStringLiteral("4K/UHD") : QStringLiteral("Video %1").arg(channel);
}

const ParameterCatalogue::SlotInfo &ParameterCatalogue::slot(int slot)
{
    return slotTable[slot];
}

const std::array<int, ParameterCatalogue::BoundCount> &ParameterCatalogue::passOrder()
{
    return passTable;
}

const std::array<int, ParameterCatalogue::BoundCount> &ParameterCatalogue::readOrder()
{
    return readTable;
}

const std::array<int, ParameterCatalogue::ResetCount> &ParameterCatalogue::resetOrder()
{
    return resetTable;
}

QByteArray ParameterCatalogue::wireText(int slot, int value)
{
    const SlotInfo &info = slotTable[slot];
    switch (info.kind) {
    case Kind::Choice:
        return value >= 0 && value < info.choiceCount ? QByteArray::number(info.choices[value].value) : QByteArray();
    case Kind::Switch:
        return value ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    case Kind::Scaled:
    case Kind::Nits:
        return QByteArray::number(value);
    case Kind::Unbound:
        break;
    }
    return QByteArray();
}

std::optional<int> ParameterCatalogue::fromWire(int slot, const QByteArray &reply)
{
    const SlotInfo &info = slotTable[slot];
    switch (info.kind) {
    case Kind::Choice:
        if (const std::optional<int> value = number(reply)) {
            for (int row = 0; row < info.choiceCount; ++row) {
                if (info.choices[row].value == *value)
                    return row;
            }
        }
        return std::nullopt;
    case Kind::Switch:
        return switchState(reply);
    case Kind::Scaled:
    case Kind::Nits:
        return number(reply);
    case Kind::Unbound:
        break;
    }
    return std::nullopt;
}

QString ParameterCatalogue::labelText(int slot, int position)
{
    const double value = displayValue(slot, position);
    return slotTable[slot].kind == Kind::Nits ? QString::number(value, 'g', 6) : QString::number(value, 'f', 3);
}

double ParameterCatalogue::displayValue(int slot, int position)
{
    return slotTable[slot].kind == Kind::Nits ? position : static_cast<float>(position) / 1000.0f;
}

double ParameterCatalogue::positionOf(int slot, double shown)
{
    return slotTable[slot].kind == Kind::Nits ? shown : shown * 1000.0;
}
