#pragma once

#include <string>
#include <vector>

// The one table the benchmark prints, in Markdown so that it can be pasted
// into the README as it is.
class BenchTable
{
public:
    enum class Verdict { None, Met, Missed };

    void addRow(std::string measure, std::string value, std::string target = {}, Verdict verdict = Verdict::None);
    static Verdict verdict(bool met) { return met ? Verdict::Met : Verdict::Missed; }

    std::string markdown() const;
    int missedCount() const;

private:
    struct Row
    {
        std::string measure;
        std::string value;
        std::string target;
        Verdict verdict;
    };
    std::vector<Row> m_rows;
};
