#include "look.h"

std::vector<int> Look::differences(const Look &other) const
{
    std::vector<int> slots;
    for (int slot : ParameterCatalogue::passOrder()) {
        if (values[std::size_t(slot)] != other.values[std::size_t(slot)])
            slots.push_back(slot);
    }
    return slots;
}
