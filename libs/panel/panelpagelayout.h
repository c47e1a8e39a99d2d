#pragma once

#include "parametercatalogue.h"

#include <QString>

#include <array>

class tangentWaveDisplay;

// What the panel pages show: every parameter's value (a slider's position,
// a chooser's row, a switch's remembered state) and the current unit.
struct PanelPageValues
{
    PanelPageValues();

    std::array<int, ParameterCatalogue::SlotCount> values{};
    QString systemName;
    QString versionText;
    int channel = 0; // item data of the channel chooser's current entry
};

// Lays out one whole panel page on the display model: page 0 lift, gamma and
// gain; 1 HDR controls; 2 exposure and output; 3 status. Where each value
// sits, its caption and its format come from the parameter table. Pages
// outside 0 to 3 do nothing.
class PanelPageLayout
{
public:
    static void show(tangentWaveDisplay &display, int page, const PanelPageValues &values);
    // One value's cell, as the page shows it (sliders and switches).
    static void showValue(tangentWaveDisplay &display, int slot, int value);

    // The status page's lines; each is padded with blanks to 32 characters
    // and never cut.
    static QString deviceLine(const QString &systemName, const QString &versionText);
    static QString channelLine(int channel);
    // The status line of a range chooser's row.
    static QString rangeLine(int slot, int row);

    static constexpr int LineWidth = 32;

private:
    // The line of a chooser's current entry, as its row of the table formats it.
    static QString statusLine(PanelChooser chooser, const QString &entryName);
    static void showPage3(tangentWaveDisplay &display, const PanelPageValues &values);
};
