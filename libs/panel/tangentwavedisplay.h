#pragma once

#include <QString>

class DisplaySink;

// The text model of the panel display: 5 lines of 32 characters, each line
// addressed in 4 cells of 8 characters at positions 0, 8, 16 and 24.
//
// The value writers belong to one page each (the parameter table says where
// each value sits) and do nothing while another page is shown; otherwise they
// format the value into its cell and send that cell at once. The status line writers (page 3) send whole lines and leave the
// cells alone. Nothing is sent without a sink.
class tangentWaveDisplay
{
public:
    static constexpr int Lines = 5;
    static constexpr int Columns = 4;
    static constexpr int CellWidth = 8;

    explicit tangentWaveDisplay(DisplaySink *panel);

    int page() const { return m_page; }
    // Kept equal to the dialog's panel page.
    void setPage(int page) { m_page = page; }

    // The cell's 8 characters (NUL-terminated), or nullptr outside the display.
    const char *cell(int line, int column) const;
    // Every cell becomes 8 blanks. Nothing is sent.
    void clearCells();
    // The first 8 characters of the text, or the text padded with blanks to 8.
    // Lines and columns outside the display are ignored. Nothing is sent.
    void setCell(int line, int column, const char *text);
    // Sends all 20 cells, line by line, left to right.
    void flushCells();

    // A value writer: while the page is shown, formats the value (printf
    // format) into the cell and sends the cell. Other pages send nothing.
    void showValue(int page, int line, int column, const char *format, double value);
    // A page-1 switch: the label goes to the cell at `column`, the state text
    // (when given) to the next; both cells are sent.
    void showSwitch(int line, int column, const char *label, const char *state);

    // Page 3: one whole line at position 0, sent as UTF-8.
    void showStatusLine(int line, const QString &text);

private:
    void sendCell(int line, int column);

    DisplaySink *m_panel;
    int m_page = 0;
    char m_cells[Lines][Columns][CellWidth + 1];
};
