#include "programversion.h"

#include "prismolinkversion.h"

#ifdef Q_OS_WIN
#include <windows.h>
#include <vector>
#endif

QString ProgramVersion::fromNumbers(unsigned major, unsigned minor, unsigned patch)
{
    QString text = QStringLiteral("%1.%2").arg(major).arg(minor);
    if (patch != 0)
        text += QStringLiteral(".%1").arg(patch);
    return text;
}

QString ProgramVersion::fromFileVersion(quint32 mostSignificant, quint32 leastSignificant)
{
    return fromNumbers(mostSignificant >> 16, mostSignificant & 0xFFFF, leastSignificant >> 16);
}

QString ProgramVersion::ofProgram()
{
#ifdef Q_OS_WIN
    // On Windows the executable's version resource is the record of truth.
    char path[MAX_PATH];
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0)
        return QString();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return QString();
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path, 0, size, data.data()))
        return QString();
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&info), &length) || !info
        || info->dwSignature != 0xFEEF04BD)
        return QString();
    return fromFileVersion(info->dwFileVersionMS, info->dwFileVersionLS);
#else
#ifdef PRISMOLINK_HAS_VERSION
    return fromNumbers(PRISMOLINK_VERSION_MAJOR, PRISMOLINK_VERSION_MINOR, PRISMOLINK_VERSION_PATCH);
#else
    return QString();
#endif
#endif
}
