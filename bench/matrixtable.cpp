#include "matrixtable.h"

MatrixTable::MatrixTable(std::vector<std::string> header) : m_header(std::move(header)) {}

void MatrixTable::addRow(std::vector<Cell> cells)
{
    m_rows.push_back(std::move(cells));
}

std::string MatrixTable::markdown() const
{
    std::string text = "|";
    std::string rule = "|";
    for (const std::string &title : m_header) {
        text += " " + title + " |";
        rule += "---|";
    }
    text += "\n" + rule + "\n";
    for (const std::vector<Cell> &row : m_rows) {
        text += "|";
        for (const Cell &cell : row)
            text += " " + (cell.missed ? "**" + cell.text + "**" : cell.text) + " |";
        text += "\n";
    }
    return text;
}
