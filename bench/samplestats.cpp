#include "samplestats.h"

#include <algorithm>
#include <cstdio>

SampleStats::SampleStats(std::vector<double> samples)
    : m_samples(std::move(samples))
{
    std::sort(m_samples.begin(), m_samples.end());
}

double SampleStats::median() const
{
    if (m_samples.empty())
        return 0.0;
    const std::size_t middle = m_samples.size() / 2;
    if (m_samples.size() % 2 == 1)
        return m_samples[middle];
    return (m_samples[middle - 1] + m_samples[middle]) / 2.0;
}

double SampleStats::minimum() const
{
    return m_samples.empty() ? 0.0 : m_samples.front();
}

double SampleStats::maximum() const
{
    return m_samples.empty() ? 0.0 : m_samples.back();
}

std::string SampleStats::format(int decimals) const
{
    if (m_samples.empty())
        return "n/a";
    char text[128];
    std::snprintf(text, sizeof text, "%.*f (%.*f–%.*f)", decimals, median(), decimals, minimum(), decimals, maximum());
    return text;
}
