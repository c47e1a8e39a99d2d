#pragma once

#include <cstdint>

// The fixed file-version record of the running executable's version resource.
class ModuleVersion
{
public:
    // False when the executable carries no record or it cannot be read.
    static bool read(std::uint32_t &mostSignificant, std::uint32_t &leastSignificant);
};
