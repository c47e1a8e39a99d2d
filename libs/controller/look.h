#pragma once

#include "parametercatalogue.h"

#include <array>
#include <vector>

// Every bound parameter of one channel: the look a colourist made, as
// values (a slider's position, a chooser's row, a switch's state).
struct Look
{
    std::array<int, ParameterCatalogue::SlotCount> values{};

    // The bound slots whose values differ, in pass order.
    std::vector<int> differences(const Look &other) const;
    bool operator==(const Look &other) const { return differences(other).empty(); }
    bool operator!=(const Look &other) const { return !(*this == other); }
};
