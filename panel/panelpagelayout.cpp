#include "panelpagelayout.h"

#include "tangentwavedisplay.h"

void PanelPageLayout::show(tangentWaveDisplay &display, int page, const PanelPageValues &values)
{
    if (page < 0 || page > 3)
        return;
    display.setPage(page);
    display.clearCells();
    switch (page) {
    case 0:
        showPage0(display, values);
        break;
    case 1:
        showPage1(display, values);
        break;
    case 2:
        showPage2(display, values);
        break;
    default:
        showPage3(display, values);
        break;
    }
}

void PanelPageLayout::showPage0(tangentWaveDisplay &display, const PanelPageValues &values)
{
    display.setCell(0, 0, "       ");
    display.setCell(0, 1, "   Lift");
    display.setCell(0, 2, "  Gamma");
    display.setCell(0, 3, "  Gain");
    static const char *const rows[] = {"Master", "Red", "Green", "Blue"};
    for (int row = 1; row <= 4; ++row)
        display.setCell(row, 0, rows[row - 1]);
    for (int row = 1; row <= 4; ++row) {
        display.showLift(row, values.lift[row - 1]);
        display.showGain(row, values.gain[row - 1]);
        display.showGamma(row, values.gamma[row - 1]);
    }
    display.flushCells();
}

void PanelPageLayout::showPage1(tangentWaveDisplay &display, const PanelPageValues &values)
{
    for (int column = 0; column < tangentWaveDisplay::Columns; ++column)
        display.setCell(0, column, "       ");
    display.setCell(4, 0, "Sat");
    display.setCell(3, 0, "SDRSoft");
    display.setCell(0, 0, "HDRAmount");
    display.setCell(1, 0, "AmbLight");
    display.setCell(2, 0, "LogLook");
    display.showSaturation(values.saturation);
    display.showSdrSoftness(values.sdrSoftness);
    display.showHdrAmount(values.hdrAmount);
    display.showAmbLight(values.ambLight);
    display.showLogLook(values.logLook);
    display.showSdrPreview(values.sdrPreview ? "iew On" : "iew Off");
    display.showAdjust(values.adjust ? "    On" : "    Off");
    display.showP3Clamp(values.p3Clamp ? "    On" : "    Off");
    display.flushCells();
}

void PanelPageLayout::showPage2(tangentWaveDisplay &display, const PanelPageValues &values)
{
    for (int column = 0; column < tangentWaveDisplay::Columns; ++column)
        display.setCell(0, column, "       ");
    display.setCell(0, 0, "Exposure");
    display.setCell(1, 0, "Col Temp");
    display.setCell(2, 0, "Tint");
    display.setCell(3, 0, "BT2408");
    display.setCell(4, 0, "PQ Nit Level");
    display.setCell(4, 1, "evel");
    display.showExposure(values.exposure);
    display.showColorTemp(values.colorTemp);
    display.showTint(values.tint);
    display.showBt2408(values.bt2408);
    display.showPqNitLevel(values.pqNitLevel);
    display.flushCells();
}

void PanelPageLayout::showPage3(tangentWaveDisplay &display, const PanelPageValues &values)
{
    display.showDeviceLine(deviceLine(values.systemName, values.versionText));
    display.showChannelLine(channelLine(values.channel));
    display.showInRangeLine(inRangeLine(values.inRange));
    display.showOutRangeLine(outRangeLine(values.outRange));
    display.showMonRangeLine(monRangeLine(values.monRange));
}

QString PanelPageLayout::deviceLine(const QString &systemName, const QString &versionText)
{
    return (systemName.leftJustified(14) + versionText).leftJustified(LineWidth);
}

QString PanelPageLayout::channelLine(int channel)
{
    return tangentWaveDisplay::channelName(channel).leftJustified(LineWidth);
}

QString PanelPageLayout::inRangeLine(const QString &name)
{
    return QStringLiteral("InDynRg  %1").arg(name).leftJustified(LineWidth);
}

QString PanelPageLayout::outRangeLine(const QString &name)
{
    return QStringLiteral("OutDynRg %1").arg(name).leftJustified(LineWidth);
}

QString PanelPageLayout::monRangeLine(const QString &name)
{
    return QStringLiteral("MonDynRg %1").arg(name).leftJustified(LineWidth);
}
