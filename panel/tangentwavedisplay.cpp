#include "tangentwavedisplay.h"

#include "displaysink.h"

#include <cstdio>
#include <cstring>

tangentWaveDisplay::tangentWaveDisplay(DisplaySink *panel) : m_panel(panel)
{
    clearCells();
}

const char *tangentWaveDisplay::cell(int line, int column) const
{
    if (line < 0 || line >= Lines || column < 0 || column >= Columns)
        return nullptr;
    return m_cells[line][column];
}

void tangentWaveDisplay::clearCells()
{
    for (auto &line : m_cells)
        for (auto &cell : line) {
            std::memset(cell, ' ', CellWidth);
            cell[CellWidth] = '\0';
        }
}

void tangentWaveDisplay::setCell(int line, int column, const char *text)
{
    if (line < 0 || line >= Lines || column < 0 || column >= Columns)
        return;
    char *cell = m_cells[line][column];
    const size_t length = text ? strnlen(text, CellWidth) : 0;
    if (length > 0)
        std::memcpy(cell, text, length);
    std::memset(cell + length, ' ', CellWidth - length);
    cell[CellWidth] = '\0';
}

void tangentWaveDisplay::sendCell(int line, int column)
{
    if (m_panel)
        m_panel->SendSegment(quint32(line), quint32(column * CellWidth), m_cells[line][column]);
}

void tangentWaveDisplay::flushCells()
{
    for (int line = 0; line < Lines; ++line)
        for (int column = 0; column < Columns; ++column)
            sendCell(line, column);
}

void tangentWaveDisplay::writeValue(int page, int line, int column, const char *format, double value)
{
    if (m_page != page || line < 0 || line >= Lines)
        return;
    // Room for any double; snprintf cuts safely anyway and the cell keeps 8.
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    setCell(line, column, text);
    sendCell(line, column);
}

void tangentWaveDisplay::showLift(int row, double value) { writeValue(0, row, 1, "%5.3f", value); }
void tangentWaveDisplay::showGamma(int row, double value) { writeValue(0, row, 2, "%5.3f", value); }
void tangentWaveDisplay::showGain(int row, double value) { writeValue(0, row, 3, "%5.3f", value); }
void tangentWaveDisplay::showHdrAmount(double value) { writeValue(1, 0, 1, " %4.3f", value); }
void tangentWaveDisplay::showAmbLight(double value) { writeValue(1, 1, 1, " %4.3f", value); }
void tangentWaveDisplay::showLogLook(double value) { writeValue(1, 2, 1, " %4.3f", value); }
void tangentWaveDisplay::showSdrSoftness(double value) { writeValue(1, 3, 1, " %4.3f", value); }
void tangentWaveDisplay::showSaturation(double value) { writeValue(1, 4, 1, " %4.3f", value); }
void tangentWaveDisplay::showExposure(double value) { writeValue(2, 0, 2, "%5.3f", value); }
void tangentWaveDisplay::showColorTemp(double value) { writeValue(2, 1, 2, "%5.3f", value); }
void tangentWaveDisplay::showTint(double value) { writeValue(2, 2, 2, "%5.3f", value); }
void tangentWaveDisplay::showBt2408(double value) { writeValue(2, 3, 2, "%5.3f", value); }
void tangentWaveDisplay::showPqNitLevel(double value) { writeValue(2, 4, 2, "%4.0f", value); }

void tangentWaveDisplay::writeSwitch(int line, const char *label, const char *state)
{
    if (m_page != 1)
        return;
    setCell(line, 2, label);
    sendCell(line, 2);
    if (state)
        setCell(line, 3, state);
    sendCell(line, 3);
}

void tangentWaveDisplay::showSdrPreview(const char *state) { writeSwitch(0, "SDR Previ", state); }
void tangentWaveDisplay::showAdjust(const char *state) { writeSwitch(2, "Adjust  ", state); }
void tangentWaveDisplay::showP3Clamp(const char *state) { writeSwitch(4, "P3 Clamp", state); }

void tangentWaveDisplay::showStatusLine(int line, const QString &text)
{
    if (m_page != 3 || line < 0 || line >= Lines || !m_panel)
        return;
    m_panel->SendText(quint32(line), 0, text.toUtf8().constData());
}

QString tangentWaveDisplay::channelName(int channel)
{
    static const char *const names[] = {"4K/UHD ", "Video 1", "Video 2", "Video 3", "Video 4"};
    if (channel < 0 || channel >= int(sizeof names / sizeof names[0]))
        return QString();
    return QString::fromLatin1(names[channel]);
}
