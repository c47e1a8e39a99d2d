#include "moduleversion.h"

#include <windows.h>

#include <vector>

bool ModuleVersion::read(std::uint32_t &mostSignificant, std::uint32_t &leastSignificant)
{
    char path[MAX_PATH];
    const DWORD pathLength = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (pathLength == 0 || pathLength >= MAX_PATH)
        return false;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return false;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path, 0, size, data.data()))
        return false;
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!VerQueryValueA(data.data(), root, reinterpret_cast<void **>(&info), &length) || !info
        || length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD)
        return false;
    mostSignificant = info->dwFileVersionMS;
    leastSignificant = info->dwFileVersionLS;
    return true;
}
