#include "benchtable.h"

void BenchTable::addRow(std::string measure, std::string value, std::string target, Verdict verdict)
{
    m_rows.push_back({std::move(measure), std::move(value), std::move(target), verdict});
}

std::string BenchTable::markdown() const
{
    std::string text = "| Measure | Median (min–max) | Target | Met |\n|---|---|---|---|\n";
    for (const Row &row : m_rows) {
        const char *verdict = row.verdict == Verdict::Met ? "yes" : row.verdict == Verdict::Missed ? "**no**" : "";
        text += "| " + row.measure + " | " + row.value + " | " + row.target + " | " + verdict + " |\n";
    }
    return text;
}

int BenchTable::missedCount() const
{
    int missed = 0;
    for (const Row &row : m_rows)
        missed += row.verdict == Verdict::Missed ? 1 : 0;
    return missed;
}
