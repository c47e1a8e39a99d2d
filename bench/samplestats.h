#pragma once

#include <string>
#include <vector>

// The median of repeated measurements with their spread (smallest and
// largest), and how the benchmark table prints them.
class SampleStats
{
public:
    SampleStats() = default;
    explicit SampleStats(std::vector<double> samples);

    bool isEmpty() const { return m_samples.empty(); }
    int count() const { return static_cast<int>(m_samples.size()); }
    // The middle value; the mean of the two middle values for an even count.
    // This and the spread are 0 without samples.
    double median() const;
    double minimum() const;
    double maximum() const;
    // Whether there are samples and their median is below the bound: a target met.
    bool medianBelow(double bound) const { return !isEmpty() && median() < bound; }

    // "12.3 (11.9–13.0)" with the given number of decimals; "n/a" when empty.
    std::string format(int decimals) const;

private:
    std::vector<double> m_samples; // sorted
};
