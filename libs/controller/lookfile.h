#pragma once

#include "look.h"

#include <QByteArray>
#include <QString>

// A look saved to a file: JSON with a format name and version, the program
// version, the unit's name and the channel it was made on, and every
// parameter of the channel by name with the unit's own value (a chooser's
// number, not its row), so nothing is lost in conversion:
//
//   {
//       "channel": 1,
//       "format": "Prismolink look",
//       "parameters": {
//           "AmbLightComp": 0,
//           ...
//           "MonDynamicRangeAndGamutOut": 0,
//           ...
//       },
//       "program": "1.0",
//       "unit": "Prismo Grade A",
//       "version": 1
//   }
//
// Reading refuses, with a message for the user, a file of a newer format
// version, a damaged file, and one with unknown or missing parameters or
// values a unit does not take; nothing of such a file is used.
class LookFile
{
public:
    static const char Format[];
    static constexpr int Version = 1;
    // A look file is small; a larger one is not read.
    static constexpr qint64 LargestFile = 64 * 1024;

    struct Contents
    {
        Look look;
        QString program;
        QString unit;
        int channel = 0;
    };

    static QByteArray write(const Contents &contents);
    // False with the reason in error; contents is then untouched.
    static bool read(const QByteArray &bytes, Contents &contents, QString &error);
    // Reads a look file, only when it is a regular file of at most
    // LargestFile bytes; false with the reason in error.
    static bool load(const QString &path, Contents &contents, QString &error);
    // Writes a look file whole or not at all; false with the reason in error.
    static bool save(const QString &path, const Contents &contents, QString &error);
    // The name a parameter has in a look file.
    static QString parameterKey(int slot);
};
