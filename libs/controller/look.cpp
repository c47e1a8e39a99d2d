#include "look.h"

std::vector<int> Look::differences(const Look &other) const
{
    std::vector<int> differing;
    for (int slot : ParameterCatalogue::passOrder()) {
        if (values[std::size_t(slot)] != other.values[std::size_t(slot)])
            differing.push_back(slot);
    }
    return differing;
}
