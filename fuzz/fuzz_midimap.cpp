// A MIDI mapping file, as a user might hand the program any file: read whole
// or refused; a map read is sound, comes back the same when written, and
// drives the engine with every control it maps.
#include "midiengine.h"
#include "midimapfile.h"
#include "invariant.h"

#include <cstdint>

using PC = ParameterCatalogue;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), int(size));
    MidiMap map;
    map.controller = QStringLiteral("untouched");
    QString error;
    if (!MidiMapFile::read(file, map, error)) {
        check(!error.isEmpty(), "a refused file says why");
        check(map.controller == QLatin1String("untouched") && map.mappings.isEmpty(), "a refused file changes nothing");
        return 0;
    }
    check(map.mappings.size() <= MidiMapFile::MostMappings, "no more mappings than the bound");
    for (int i = 0; i < map.mappings.size(); ++i) {
        const MidiMapping &m = map.mappings[i];
        check(m.channel >= 1 && m.channel <= 16 && m.number >= 0 && m.number <= 127, "a control of MIDI's own");
        check(m.note == (m.mode == MidiEncoding::Mode::Note), "notes and only notes in mode note");
        check(m.mode != MidiEncoding::Mode::Absolute14 || m.number < 32, "a 14-bit pair within cc 0 to 63");
        check(m.slot < 0 ? MidiEncoding::isPress(m.mode)
                         : m.slot < PC::SlotCount && m.parameter == QLatin1String(PC::slot(m.slot).remoteName),
              "a parameter of the table, or a command on a button");
        for (int j = 0; j < i; ++j)
            check(!MidiMap::overlap(map.mappings[j], m), "no control mapped twice");
    }
    const QByteArray written = MidiMapFile::write(map);
    MidiMap again;
    check(MidiMapFile::read(written, again, error), "a map written can be read");
    check(again == map, "a map comes back as it was written");
    check(MidiMapFile::write(again) == written, "writing it again gives the same bytes");

    // Every control moved to both ends (a 14-bit pair's low half too), and every parameter shown.
    MidiEngine engine(map);
    for (const MidiMapping &m : map.mappings) {
        const auto type = m.note ? MidiMessage::Type::NoteOn : MidiMessage::Type::ControlChange;
        for (int value : {127, 0}) {
            engine.feed({type, m.channel, m.number, value}, 0);
            engine.feed({type, m.channel, (m.number + 32) & 0x7F, value}, 0);
        }
    }
    for (const MidiIntent &intent : engine.takeIntents()) {
        if (intent.kind == MidiIntent::Kind::Set)
            check(intent.value >= PC::slot(intent.slot).minimum && intent.value <= PC::slot(intent.slot).maximum,
                  "a fader sets values the units take");
    }
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        for (const QByteArray &message : engine.feedback(slot, PC::slot(slot).maximum, 0))
            check(message.size() == 3 && (message[0] & 0x80) && !(message[1] & 0x80) && !(message[2] & 0x80),
                  "feedback is channel messages");
    }
    return 0;
}
