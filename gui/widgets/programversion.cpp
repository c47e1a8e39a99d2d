#include "programversion.h"

#include "prismolinkversion.h"

#ifdef Q_OS_WIN
#include "moduleversion.h"
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
    std::uint32_t mostSignificant = 0;
    std::uint32_t leastSignificant = 0;
    if (!ModuleVersion::read(mostSignificant, leastSignificant))
        return QString();
    return fromFileVersion(mostSignificant, leastSignificant);
#else
#ifdef PRISMOLINK_HAS_VERSION
    return fromNumbers(PRISMOLINK_VERSION_MAJOR, PRISMOLINK_VERSION_MINOR, PRISMOLINK_VERSION_PATCH);
#else
    return QString();
#endif
#endif
}
