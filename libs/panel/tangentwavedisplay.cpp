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

void tangentWaveDisplay::showValue(int page, int line, int column, const char *format, double value)
{
    if (m_page != page || line < 0 || line >= Lines)
        return;
    // Room for any double; snprintf cuts safely anyway and the cell keeps 8.
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    setCell(line, column, text);
    sendCell(line, column);
}

void tangentWaveDisplay::showSwitch(int line, int column, const char *label, const char *state)
{
    if (m_page != 1 || line < 0 || line >= Lines || column < 0 || column + 1 >= Columns)
        return;
    setCell(line, column, label);
    sendCell(line, column);
    if (state)
        setCell(line, column + 1, state);
    sendCell(line, column + 1);
}

void tangentWaveDisplay::showStatusLine(int line, const QString &text)
{
    if (m_page != 3 || line < 0 || line >= Lines || !m_panel)
        return;
    m_panel->SendText(quint32(line), 0, text.toUtf8().constData());
}
