#pragma once

#include "midimap.h"

#include <QByteArray>
#include <QString>

// Mapping files: a controller's mappings in JSON, version 1.
//
//   {
//       "version": 1,
//       "controller": "Encoder Box",
//       "mappings": [
//           {"channel": 1, "cc": 16, "parameter": "gain/red", "mode": "relative-twos"},
//           {"channel": 1, "note": 36, "parameter": "undo", "mode": "note"}
//       ]
//   }
//
// Each mapping: "channel" 1 to 16 (default 1); either "cc" (a controller,
// 0 to 127; the high half of an absolute14 pair, 0 to 31) or "note" (0 to
// 127, mode "note" only); "parameter" a remote name of the parameter table
// or a command (see MidiMapping::actionNames; commands take buttons and
// notes only); "mode" (default "absolute" for cc, "note" for note); and,
// when not their default, "step" ("normal", "fine" or "coarse"), "pickup"
// (true) and "feedback" (true). A file is read whole or refused: a damaged
// one changes nothing.
class MidiMapFile
{
public:
    static constexpr int Version = 1;
    static constexpr int LargestFile = 256 * 1024;
    static constexpr int MostMappings = 1024;
    static constexpr int LongestPattern = 256;

    // False, with why in `error`, and `map` left as it was, for a file that
    // cannot be taken whole.
    static bool read(const QByteArray &bytes, MidiMap &map, QString &error);
    static QByteArray write(const MidiMap &map);

    static bool load(const QString &path, MidiMap &map, QString &error);
    static bool save(const QString &path, const MidiMap &map, QString &error);
};
