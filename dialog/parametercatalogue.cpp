#include "parametercatalogue.h"

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

namespace {

const char *const parameterNames[ParameterCatalogue::ChannelCount][ParameterCatalogue::SlotCount] = {
    PRISMO_NAME_ROW(0), PRISMO_NAME_ROW(1), PRISMO_NAME_ROW(2), PRISMO_NAME_ROW(3), PRISMO_NAME_ROW(4),
};

using K = ParameterCatalogue::Kind;
constexpr int NR = ParameterCatalogue::NoReset;

const ParameterCatalogue::SlotInfo slotTable[ParameterCatalogue::SlotCount] = {
    {"DynamicRangeAndGamut", "inDynRangeGamutChoiceComboBox", "In DynRange&Gamut", K::Choice, 0, 14, 0, NR, nullptr},
    {"DynamicRangeAndGamutOut", "outDynRangeGamutChoiceComboBox", "Out DynRange&Gamut", K::Choice, 0, 9, 0, NR, nullptr},
    {"eParamID_MonDynamicRangeAndGamutOut", "monDynRangeGamutChoiceComboBox", "Mon DynRange&Gamut", K::Choice, 0, 9, 0, NR,
     nullptr},
    {"SdrPreview", "clampCheckBox", "SDR Preview", K::Switch, 0, 1, 0, NR, nullptr},
    {"ColorHDRAmount", "hdrAmountSlider", "HDR Amount", K::Scaled, -1000, 1000, 0, 0, "hdrAmountLabel"},
    {"AmbLightComp", "hdrRangeSlider", "Amb Light Comp", K::Scaled, -1000, 1000, 0, 0, "hdrRangeLabel"},
    {"ColorHDRSoftness", "sdrSoftnessSlider", "SDR Softness", K::Scaled, 0, 1000, 0, 0, "sdrSoftnessLabel"},
    {"ColorHDRLiftMaster", "masterLiftSlider", "Master Lift", K::Scaled, -1000, 1000, 0, 0, "masterLiftLabel"},
    {"ColorHDRLiftRed", "redLiftSlider", "Red Lift", K::Scaled, -1000, 1000, 0, 0, "redLiftLabel"},
    {"ColorHDRLiftGreen", "greenLiftSlider", "Green Lift", K::Scaled, -1000, 1000, 0, 0, "greenLiftLabel"},
    {"ColorHDRLiftBlue", "blueLiftSlider", "Blue Lift", K::Scaled, -1000, 1000, 0, 0, "blueLiftLabel"},
    {"ColorHDRGainMaster", "masterGainSlider", "Master Gain", K::Scaled, 0, 5000, 1000, 1000, "masterGainLabel"},
    {"ColorHDRGainRed", "redGainSlider", "Red Gain", K::Scaled, 0, 5000, 1000, 1000, "redGainLabel"},
    {"ColorHDRGainGreen", "greenGainSlider", "Green Gain", K::Scaled, 0, 5000, 1000, 1000, "greenGainLabel"},
    {"ColorHDRGainBlue", "blueGainSlider", "Blue Gain", K::Scaled, 0, 5000, 1000, 1000, "blueGainLabel"},
    {"ColorHDRGammaMaster", "masterGammaSlider", "Master Gamma", K::Scaled, 0, 2000, 1000, 1000, "masterGammaLabel"},
    {"ColorHDRGammaRed", "redGammaSlider", "Red Gamma", K::Scaled, 0, 2000, 1000, 1000, "redGammaLabel"},
    {"ColorHDRGammaGreen", "greenGammaSlider", "Green Gamma", K::Scaled, 0, 2000, 1000, 1000, "greenGammaLabel"},
    {"ColorHDRGammaBlue", "blueGammaSlider", "Blue Gamma", K::Scaled, 0, 2000, 1000, 1000, "blueGammaLabel"},
    {"ColorHDRSaturation", "saturationSlider", "Saturation", K::Scaled, 0, 2000, 1000, 1000, "saturationLabel"},
    {"ColorHDRLogLook", "lookSlider", "HDR Log Look", K::Scaled, 0, 1000, 500, 500, "lookLabel"},
    {"ColorHDRReset", "", "", K::Unbound, 0, 0, 0, NR, nullptr},
    {"ColorHDRBT2408", "bt2408Slider", "BT.2408 Mode", K::Scaled, 0, 1000, 0, 0, "bt2408Label"},
    {"ColorHDRExposure", "exposureSlider", "Exposure", K::Scaled, -4000, 4000, 0, 0, "exposureLabel"},
    {"ColorHDRColorTemp", "colorTempSlider", "Color Temp", K::Scaled, -10000, 10000, 0, 0, "colorTempLabel"},
    {"ColorHDRTint", "tintSlider", "Tint", K::Scaled, -16000, 16000, 0, 0, "tintLabel"},
    {"ColorHDRPQoutNitLvl", "pqoutnitLevelSlider", "PQ Output Nit Level", K::Nits, 48, 4000, 1000, 1000,
     "pqoutnitLevelLabel"},
    {"P3ColorspaceClamp", "clampP3CheckBox", "P3 ColorSpace Clamp", K::Switch, 0, 1, 0, NR, nullptr},
    {"ColorfrontMode", "adjustGroupBox", "Adjust", K::Switch, 0, 1, 1, NR, nullptr},
};

} // namespace

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
const int ParameterCatalogue::inDynRangeChoiceCount = sizeof inDynRangeChoices / sizeof inDynRangeChoices[0];

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
const int ParameterCatalogue::outDynRangeChoiceCount = sizeof outDynRangeChoices / sizeof outDynRangeChoices[0];

int ParameterCatalogue::nameRow(int channel)
{
    return static_cast<unsigned>(channel) < static_cast<unsigned>(ChannelCount) ? channel : 0;
}

const char *ParameterCatalogue::parameterName(int channel, int slot)
{
    return parameterNames[nameRow(channel)][slot];
}

const ParameterCatalogue::SlotInfo &ParameterCatalogue::slot(int slot)
{
    return slotTable[slot];
}

float ParameterCatalogue::scaledValue(int position)
{
    return static_cast<float>(position) / 1000.0f;
}

QString ParameterCatalogue::deviceText(int position)
{
    return QString::number(position);
}

QString ParameterCatalogue::labelText(Kind kind, float value)
{
    return kind == Kind::Nits ? QString::number(value, 'g', 6) : QString::number(value, 'f', 3);
}

int ParameterCatalogue::positionOfValue(Kind kind, float value)
{
    return kind == Kind::Nits ? static_cast<int>(value) : qRound(value * 1000.0f);
}

std::optional<int> ParameterCatalogue::positionFromDeviceText(const QString &reply)
{
    bool ok = false;
    const int position = reply.toInt(&ok, 10);
    return ok ? std::optional<int>(position) : std::nullopt;
}

int ParameterCatalogue::choiceRow(const DynRangeChoice *choices, int count, const QString &reply)
{
    const std::optional<int> value = positionFromDeviceText(reply);
    for (int row = 0; value && row < count; ++row) {
        if (choices[row].value == *value)
            return row;
    }
    return -1;
}

QString ParameterCatalogue::choiceText(const DynRangeChoice *choices, int count, int row)
{
    return row >= 0 && row < count ? QString::number(choices[row].value) : QString();
}

std::optional<bool> ParameterCatalogue::switchFromDeviceText(const QString &reply)
{
    // Any count of digits: a switch needs only to know whether it is zero.
    const QString text = reply.trimmed();
    const int start = text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (start == text.size())
        return std::nullopt;
    bool zero = true;
    for (int i = start; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        zero = zero && c == QLatin1Char('0');
    }
    return !zero;
}

QString ParameterCatalogue::switchText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
