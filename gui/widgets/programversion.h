#pragma once

#include <QString>

// The program's version text: major.minor, and .patch only when it is not 0.
class ProgramVersion
{
public:
    static QString fromNumbers(unsigned major, unsigned minor, unsigned patch);
    // From the two most and least significant words of a file-version record.
    static QString fromFileVersion(quint32 mostSignificant, quint32 leastSignificant);
    // The running program's version; empty when it carries none.
    static QString ofProgram();
};
