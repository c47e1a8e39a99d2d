#pragma once

#include <map>
#include <string>

// The call counts of the summary that "strace -c" writes at the end of a
// traced run, one entry per system call.
class StraceSummary
{
public:
    static StraceSummary parse(const std::string &text);

    long calls(const std::string &syscall) const;
    long total() const;
    const std::map<std::string, long> &counts() const { return m_counts; }

    // The calls per unit of work, from two runs that differ only by
    // 'extraUnits' units of it: everything the runs share cancels out.
    // Prints "send 1.00, recvfrom 1.00" with the commonest calls first.
    static std::string perUnit(const StraceSummary &shorter, const StraceSummary &longer, long extraUnits);

private:
    std::map<std::string, long> m_counts;
};
