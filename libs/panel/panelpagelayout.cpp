#include "panelpagelayout.h"

#include "panellayout.h"
#include "tangentwavedisplay.h"

#include <algorithm>
#include <cstring>
#include <vector>

using PC = ParameterCatalogue;

PanelPageValues::PanelPageValues()
{
    for (int slot = 0; slot < PC::SlotCount; ++slot)
        values[std::size_t(slot)] = PC::slot(slot).startPosition;
}

void PanelPageLayout::showValue(tangentWaveDisplay &display, int slot, int value)
{
    const PC::SlotInfo &info = PC::slot(slot);
    const PC::PanelPlace &place = info.panel;
    if (place.page < 0)
        return;
    if (info.kind == PC::Kind::Switch)
        display.showSwitch(place.line, place.column, place.caption, value ? place.onText : place.offText);
    else if (info.kind == PC::Kind::Scaled || info.kind == PC::Kind::Nits)
        display.showValue(place.page, place.line, place.column, place.format, PC::displayValue(slot, value));
}

void PanelPageLayout::show(tangentWaveDisplay &display, int page, const PanelPageValues &values)
{
    if (page < 0 || page > 3)
        return;
    display.setPage(page);
    display.clearCells();
    if (page == 3) {
        showPage3(display, values);
        return;
    }

    if (page == 0) {
        display.setCell(0, 1, "   Lift");
        display.setCell(0, 2, "  Gamma");
        display.setCell(0, 3, "  Gain");
        static const char *const rows[] = {"Master", "Red", "Green", "Blue"};
        for (int row = 1; row <= 4; ++row)
            display.setCell(row, 0, rows[row - 1]);
    }

    std::vector<int> pageSlots;
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        if (PC::slot(slot).panel.page == page)
            pageSlots.push_back(slot);
    }
    std::sort(pageSlots.begin(), pageSlots.end(), [](int a, int b) { return PC::slot(a).panel.order < PC::slot(b).panel.order; });
    for (int slot : pageSlots) {
        const PC::PanelPlace &place = PC::slot(slot).panel;
        if (place.caption && PC::slot(slot).kind != PC::Kind::Switch) {
            display.setCell(place.line, 0, place.caption);
            // A caption longer than its cell runs on into the next.
            if (std::strlen(place.caption) > std::size_t(tangentWaveDisplay::CellWidth) && place.column > 1)
                display.setCell(place.line, 1, place.caption + 8);
        }
    }
    for (int slot : pageSlots)
        showValue(display, slot, values.values[std::size_t(slot)]);
    display.flushCells();
}

void PanelPageLayout::showPage3(tangentWaveDisplay &display, const PanelPageValues &values)
{
    for (const ChooserRow &row : ParameterTable::chooserRows) {
        QString text;
        if (row.chooser == PanelChooser::Device)
            text = deviceLine(values.systemName, values.versionText);
        else if (row.chooser == PanelChooser::Channel)
            text = channelLine(values.channel);
        else
            text = rangeLine(row.slot, values.values[std::size_t(row.slot)]);
        display.showStatusLine(row.line, text);
    }
}

QString PanelPageLayout::deviceLine(const QString &systemName, const QString &versionText)
{
    return (systemName.leftJustified(14) + versionText).leftJustified(LineWidth);
}

QString PanelPageLayout::channelLine(int channel)
{
    return statusLine(PanelChooser::Channel, PC::channelName(channel));
}

QString PanelPageLayout::rangeLine(int slot, int row)
{
    const PC::SlotInfo &info = PC::slot(slot);
    const QString name = row >= 0 && row < info.choiceCount ? QString::fromLatin1(info.choices[row].name) : QString();
    return statusLine(PanelLayout::chooserOf(slot), name);
}

QString PanelPageLayout::statusLine(PanelChooser chooser, const QString &entryName)
{
    const ChooserRow *row = PanelLayout::chooser(chooser);
    return QString::fromLatin1(row && row->lineFormat ? row->lineFormat : "%1").arg(entryName).leftJustified(LineWidth);
}
