#pragma once

#include <string>
#include <vector>

// A table with many figures a row, in Markdown like BenchTable; a figure
// that misses its target is printed in bold.
class MatrixTable
{
public:
    struct Cell
    {
        std::string text;
        bool missed = false;
    };

    explicit MatrixTable(std::vector<std::string> header);

    void addRow(std::vector<Cell> cells);
    std::string markdown() const;

private:
    std::vector<std::string> m_header;
    std::vector<std::vector<Cell>> m_rows;
};
