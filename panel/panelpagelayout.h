#pragma once

#include <QString>

class tangentWaveDisplay;

// What the panel pages show, as the dialog reads it from its controls.
// Scaled values are slider positions divided by 1000; the PQ level is the
// slider position itself.
struct PanelPageValues
{
    // Index 0 master, 1 red, 2 green, 3 blue.
    double lift[4] = {0, 0, 0, 0};
    double gamma[4] = {1, 1, 1, 1};
    double gain[4] = {1, 1, 1, 1};
    double hdrAmount = 0;
    double ambLight = 0;
    double logLook = 0;
    double sdrSoftness = 0;
    double saturation = 1;
    double exposure = 0;
    double colorTemp = 0;
    double tint = 0;
    double bt2408 = 0;
    double pqNitLevel = 0;
    bool sdrPreview = false;
    bool adjust = false;
    bool p3Clamp = false;
    QString systemName;
    QString versionText;
    int channel = 0;     // item data of the channel chooser's current entry
    QString inRange;     // name of the current row of each range chooser
    QString outRange;
    QString monRange;
};

// Lays out one whole panel page on the display model: page 0 lift, gamma and
// gain; 1 HDR controls; 2 exposure and output; 3 status. Pages outside 0 to 3
// do nothing. The dialog's showPanelPage fills PanelPageValues and calls show().
class PanelPageLayout
{
public:
    static void show(tangentWaveDisplay &display, int page, const PanelPageValues &values);

    // The status page's lines; each is padded with blanks to 32 characters
    // and never cut.
    static QString deviceLine(const QString &systemName, const QString &versionText);
    static QString channelLine(int channel);
    static QString inRangeLine(const QString &name);
    static QString outRangeLine(const QString &name);
    static QString monRangeLine(const QString &name);

    static constexpr int LineWidth = 32;

private:
    static void showPage0(tangentWaveDisplay &display, const PanelPageValues &values);
    static void showPage1(tangentWaveDisplay &display, const PanelPageValues &values);
    static void showPage2(tangentWaveDisplay &display, const PanelPageValues &values);
    static void showPage3(tangentWaveDisplay &display, const PanelPageValues &values);
};
