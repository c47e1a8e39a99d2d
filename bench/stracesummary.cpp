#include "stracesummary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

StraceSummary StraceSummary::parse(const std::string &text)
{
    // Rows read: % time, seconds, usecs/call, calls, errors (may be blank), name.
    StraceSummary summary;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> tokens;
        for (std::string token; fields >> token;)
            tokens.push_back(token);
        if (tokens.size() < 5 || tokens.back() == "total")
            continue;
        char *end = nullptr;
        std::strtod(tokens[0].c_str(), &end);
        if (end == tokens[0].c_str() || *end != '\0')
            continue;
        const long count = std::strtol(tokens[3].c_str(), &end, 10);
        if (*end != '\0')
            continue;
        summary.m_counts[tokens.back()] += count;
    }
    return summary;
}

long StraceSummary::calls(const std::string &syscall) const
{
    const auto it = m_counts.find(syscall);
    return it == m_counts.end() ? 0 : it->second;
}

long StraceSummary::total() const
{
    long sum = 0;
    for (const auto &entry : m_counts)
        sum += entry.second;
    return sum;
}

std::string StraceSummary::perUnit(const StraceSummary &shorter, const StraceSummary &longer, long extraUnits)
{
    std::vector<std::pair<long, std::string>> extra;
    for (const auto &entry : longer.m_counts) {
        const long difference = entry.second - shorter.calls(entry.first);
        if (difference > 0)
            extra.emplace_back(difference, entry.first);
    }
    std::sort(extra.begin(), extra.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::string text;
    for (const auto &entry : extra) {
        const double perUnit = static_cast<double>(entry.first) / static_cast<double>(extraUnits);
        // Calls made now and then (memory, say) are not part of each unit.
        if (perUnit < 0.05)
            continue;
        char item[96];
        std::snprintf(item, sizeof item, "%s%s %.2f", text.empty() ? "" : ", ", entry.second.c_str(), perUnit);
        text += item;
    }
    return text.empty() ? "none" : text;
}
