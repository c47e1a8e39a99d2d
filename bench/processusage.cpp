#include "processusage.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include <unistd.h>

namespace {
std::string readFile(const std::string &path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
} // namespace

std::optional<ProcessUsage::Sample> ProcessUsage::of(long pid)
{
    const std::string folder = "/proc/" + std::to_string(pid) + "/";
    const std::optional<long long> ticks = cpuTicksFromStat(readFile(folder + "stat"));
    const std::optional<long> peak = peakKilobytesFromStatus(readFile(folder + "status"));
    if (!ticks || !peak)
        return std::nullopt;
    Sample sample;
    sample.cpuSeconds = static_cast<double>(*ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    sample.peakKilobytes = *peak;
    return sample;
}

std::optional<long long> ProcessUsage::cpuTicksFromStat(const std::string &stat)
{
    // The command name in parentheses may hold blanks and parentheses, so
    // the fields are counted from the last closing one: state is field 3,
    // utime field 14 and stime field 15.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(stat.substr(close + 1));
    std::vector<std::string> tokens;
    for (std::string token; fields >> token;)
        tokens.push_back(token);
    if (tokens.size() < 13)
        return std::nullopt;
    long long sum = 0;
    for (const std::string &field : {tokens[11], tokens[12]}) {
        char *end = nullptr;
        const long long ticks = std::strtoll(field.c_str(), &end, 10);
        if (*end != '\0' || ticks < 0)
            return std::nullopt;
        sum += ticks;
    }
    return sum;
}

std::optional<long> ProcessUsage::peakKilobytesFromStatus(const std::string &status)
{
    std::istringstream lines(status);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("VmHWM:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(6));
        long kilobytes = 0;
        std::string unit;
        if (fields >> kilobytes >> unit && unit == "kB")
            return kilobytes;
        return std::nullopt;
    }
    return std::nullopt;
}
