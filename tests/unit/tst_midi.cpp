#include "mididecoder.h"
#include "midiengine.h"
#include "midiinbox.h"
#include "midimapfile.h"
#include "parametercatalogue.h"

#include <QtTest>

#include <sys/stat.h>

using Mode = MidiEncoding::Mode;
using PC = ParameterCatalogue;

namespace {
// The controller of the engine's table.
const char TestMap[] = R"({"version": 1, "controller": "Desk", "mappings": [
    {"cc": 7, "parameter": "gain/red"},
    {"cc": 8, "parameter": "saturation", "pickup": false},
    {"cc": 1, "parameter": "exposure", "mode": "absolute14", "pickup": false},
    {"cc": 16, "parameter": "gain/red", "mode": "relative-twos"},
    {"cc": 17, "parameter": "tint", "mode": "relative-offset", "step": "fine"},
    {"channel": 2, "cc": 18, "parameter": "color-temp", "mode": "relative-signed", "step": "coarse"},
    {"cc": 64, "parameter": "sdr-preview", "mode": "button"},
    {"note": 36, "parameter": "undo"}
]})";

QString describe(const MidiMessage &m)
{
    static const char *const types[] = {"off", "on", "poly", "cc", "program", "pressure", "bend"};
    return QStringLiteral("%1 %2 %3 %4").arg(QLatin1String(types[int(m.type)])).arg(m.channel).arg(m.number).arg(m.value);
}

// "set NAME VALUE", "step NAME STEPS [fine|coarse]", "press NAME", "action NUMBER".
QString describe(const MidiIntent &i)
{
    static const char *const kinds[] = {"set", "step", "press", "action"};
    static const char *const sizes[] = {"", " fine", " coarse"};
    const QString target = i.slot >= 0 ? QLatin1String(PC::slot(i.slot).remoteName) : QString::number(int(i.action));
    const QString amount = i.kind == MidiIntent::Kind::Set ? QStringLiteral(" %1").arg(i.value)
                           : i.kind == MidiIntent::Kind::Step ? QStringLiteral(" %1%2").arg(i.steps).arg(QLatin1String(sizes[int(i.size)]))
                                                              : QString();
    return QLatin1String(kinds[int(i.kind)]) + QLatin1Char(' ') + target + amount;
}

// Runs a script on an engine with the test map: "cc CH N V", "note CH N V",
// "show NAME VALUE", "place", "flush", "wait MS", "take", "learn NAME",
// "finish". What comes out: intents taken, messages sent, mappings learned.
QString run(const QString &script)
{
    MidiMap map;
    QString error;
    if (!MidiMapFile::read(TestMap, map, error))
        return error;
    MidiEngine engine(map);
    qint64 now = 1000;
    QStringList out;
    for (const QString &line : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString &command = w.value(0);
        if (command == QLatin1String("cc") || command == QLatin1String("note")) {
            MidiMessage m;
            m.type = command == QLatin1String("cc") ? MidiMessage::Type::ControlChange
                     : w[3].toInt() ? MidiMessage::Type::NoteOn
                                    : MidiMessage::Type::NoteOff;
            m.channel = w[1].toInt();
            m.number = w[2].toInt();
            m.value = w[3].toInt();
            engine.feed(m, now);
        } else if (command == QLatin1String("show")) {
            for (const QByteArray &bytes : engine.feedback(PC::slotByRemoteName(w[1]), w[2].toInt(), now))
                out << QLatin1String("> ") + QString::fromLatin1(bytes.toHex(' '));
        } else if (command == QLatin1String("place")) {
            engine.placeChanged();
        } else if (command == QLatin1String("flush")) {
            engine.flush(now);
        } else if (command == QLatin1String("wait")) {
            now += w[1].toInt();
        } else if (command == QLatin1String("take")) {
            for (const MidiIntent &intent : engine.takeIntents())
                out << describe(intent);
        } else if (command == QLatin1String("learn")) {
            if (!engine.startLearn(w[1]))
                out << QStringLiteral("unknown");
        } else if (command == QLatin1String("finish")) {
            engine.finishLearn();
        } else {
            return QStringLiteral("bad script: ") + line;
        }
        if (const std::optional<MidiMapping> m = engine.takeLearned())
            out << QStringLiteral("learned %1 %2 %3 ").arg(QLatin1String(m->note ? "note" : "cc")).arg(m->channel).arg(m->number)
                       + m->parameter + QLatin1Char(' ') + MidiEncoding::name(m->mode);
    }
    return out.join(QLatin1String(", "));
}
} // namespace

// MIDI controllers without ports: the byte stream, the encodings, mappings
// and their files, soft take-over, learning and feedback.
class TestMidi : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void encodings_data();
    void encodings();
    void engine_data();
    void engine();
    void mapFile_data();
    void mapFile();
    void files();
    void patterns_data();
    void patterns();
    void inboxIsBounded();
};

void TestMidi::decode_data()
{
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("messages");

    QTest::newRow("running status") << "b1 10 01 10 7f 11 40" << "cc 2 16 1, cc 2 16 127, cc 2 17 64";
    QTest::newRow("note-on 0 is a release") << "9f 24 64 24 00 80 24 10" << "on 16 36 100, off 16 36 0, off 1 36 16";
    QTest::newRow("real-time inside a message") << "b0 f8 10 fe 01 ff" << "cc 1 16 1";
    QTest::newRow("system exclusive skipped") << "f0 7e 00 09 01 f7 b0 10 01" << "cc 1 16 1";
    QTest::newRow("system exclusive cut by a status") << "f0 01 02 03 b1 07 7f" << "cc 2 7 127";
    QTest::newRow("system common ends running status") << "b0 10 01 f3 05 11 02" << "cc 1 16 1";
    QTest::newRow("data without a status") << "10 01 7f" << "";
    QTest::newRow("status cut short") << "b0 10 b0 11 05" << "cc 1 17 5";
    QTest::newRow("one data byte") << "c3 05 06 d0 40" << "program 4 0 5, program 4 0 6, pressure 1 0 64";
    QTest::newRow("pitch bend") << "e0 00 40 7f 7f" << "bend 1 0 8192, bend 1 0 16383";
}

void TestMidi::decode()
{
    QFETCH(QString, bytes);
    QFETCH(QString, messages);
    const QByteArray data = QByteArray::fromHex(bytes.toLatin1());
    // Whole, and a byte at a time: a message split across reads is the same message.
    for (int piece : {int(data.size()), 1}) {
        MidiDecoder decoder;
        QVector<MidiMessage> out;
        for (int i = 0; i < data.size(); i += piece)
            decoder.feed(reinterpret_cast<const unsigned char *>(data.constData()) + i, qMin(piece, int(data.size()) - i), out);
        QStringList got;
        for (const MidiMessage &m : out)
            got << describe(m);
        QCOMPARE(got.join(QLatin1String(", ")), messages);
    }
}

void TestMidi::encodings_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("parameter"); // empty: the mode's detents
    QTest::addColumn<int>("control");
    QTest::addColumn<int>("value");

    QTest::newRow("twos fast down") << "relative-twos" << "" << 64 << -64;
    QTest::newRow("signed fast down") << "relative-signed" << "" << 127 << -63;
    QTest::newRow("signed minus zero") << "relative-signed" << "" << 64 << 0;
    QTest::newRow("fader top") << "absolute" << "gain/red" << 127 << 5000;
    QTest::newRow("fader below zero") << "absolute" << "tint" << 0 << -16000;
    QTest::newRow("fader nits") << "absolute" << "pq-level" << 0 << 48;
    QTest::newRow("14-bit middle") << "absolute14" << "gain/red" << 8192 << 2500;
    QTest::newRow("chooser first row") << "absolute" << "range/in" << 8 << 0;
    QTest::newRow("chooser last row") << "absolute" << "range/in" << 127 << 14;
    QTest::newRow("switch off below half") << "absolute" << "sdr-preview" << 63 << 0;
    QTest::newRow("switch on from half") << "absolute" << "sdr-preview" << 64 << 1;
}

void TestMidi::encodings()
{
    QFETCH(QString, mode);
    QFETCH(QString, parameter);
    QFETCH(int, control);
    QFETCH(int, value);
    const std::optional<Mode> m = MidiEncoding::byName(mode);
    QVERIFY(m && MidiEncoding::name(*m) == mode);
    if (parameter.isEmpty()) {
        QCOMPARE(MidiEncoding::steps(*m, control), value);
        return;
    }
    const int slot = PC::slotByRemoteName(parameter);
    const int largest = MidiEncoding::largest(*m);
    QCOMPARE(MidiEncoding::parameterValue(slot, control, largest), value);
    // Feedback shows the value at a place that reads back as the same value.
    QCOMPARE(MidiEncoding::parameterValue(slot, MidiEncoding::controlValue(slot, value, largest), largest), value);
}

void TestMidi::engine_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("out");

    // Encoders: a burst is one step per control, added up.
    QTest::newRow("encoder burst") << "cc 1 16 1; cc 1 16 127; take; cc 1 16 1; cc 1 16 1; cc 1 16 3; cc 1 16 127; take"
                                   << "step gain/red 4";
    QTest::newRow("each encoding, step and channel") << "cc 1 17 63; cc 1 17 63; cc 2 18 65; cc 1 18 65; cc 1 16 1; take"
                                                     << "step tint -2 fine, step color-temp -1 coarse, step gain/red 1";
    QTest::newRow("unmapped") << "cc 3 16 1; cc 1 99 5; note 1 50 1; cc 1 39 1; take" << "";
    // Faders take over softly.
    QTest::newRow("fader at the value takes at once") << "show gain/red 984; cc 1 7 25; take" << "> b0 07 19, > b0 10 19, set gain/red 984";
    QTest::newRow("fader waits to pass the value")
        << "show gain/red 1000; cc 1 7 100; take; cc 1 7 30; take; cc 1 7 20; cc 1 7 21; take"
        << "> b0 07 19, > b0 10 19, set gain/red 827";
    QTest::newRow("fader released by a change elsewhere")
        << "show gain/red 1000; cc 1 7 25; cc 1 7 26; take; show gain/red 1024; show gain/red 3000; cc 1 7 27; take; "
           "cc 1 7 77; take"
        << "> b0 07 19, > b0 10 19, set gain/red 1024, > b0 10 1a, > b0 07 4c, > b0 10 4c, set gain/red 3031";
    QTest::newRow("fader released by a channel switch")
        << "show gain/red 1000; cc 1 7 25; cc 1 7 26; take; place; cc 1 7 40; take; cc 1 7 26; cc 1 7 25; take"
        << "> b0 07 19, > b0 10 19, set gain/red 1024, set gain/red 984";
    // Motor faders: their own values are not sent back, the travel and echo
    // of what was sent are no input.
    QTest::newRow("motor fader's own value") << "cc 1 8 96; take; show saturation 1512" << "set saturation 1512";
    QTest::newRow("motor fader's echo")
        << "show saturation 1500; cc 1 8 90; cc 1 8 95; take; cc 1 8 96; take"
        << "> b0 08 5f, set saturation 1512";
    QTest::newRow("motor fader after the echo time")
        << "show saturation 1500; wait 300; cc 1 8 90; take" << "> b0 08 5f, set saturation 1417";
    // 14-bit pairs count when the low half arrives.
    QTest::newRow("14-bit pair") << "cc 1 1 127; take; cc 1 33 127; take" << "set exposure 4000";
    QTest::newRow("14-bit high half alone") << "cc 1 1 0; flush; take" << "set exposure -4000";
    QTest::newRow("14-bit high halves in a row") << "cc 1 1 0; cc 1 1 64; cc 1 33 0; take" << "set exposure 0";
    QTest::newRow("14-bit low half alone") << "cc 1 1 64; cc 1 33 0; take; cc 1 33 1; take" << "set exposure 0, set exposure 1";
    QTest::newRow("14-bit feedback") << "show exposure 4000; show exposure 4000" << "> b0 01 7f, > b0 21 7f";
    // Buttons and notes: a press each, releases nothing.
    QTest::newRow("presses") << "cc 1 64 127; cc 1 64 0; note 1 36 100; note 1 36 0; note 1 36 1; take"
                             << "press sdr-preview, action 1, action 1";
    // A press or a command (undo, another channel) parts what comes before it from what comes after.
    QTest::newRow("detents around a command") << "cc 1 16 1; note 1 36 1; cc 1 16 1; cc 1 16 1; take"
                                              << "step gain/red 1, action 1, step gain/red 2";
    QTest::newRow("button light and its echo") << "show sdr-preview 1; cc 1 64 127; take; show sdr-preview 0"
                                               << "> b0 40 7f, > b0 40 00";
    // Learning: the next control moved, its encoding guessed from its first values.
    QTest::newRow("learn an encoder")
        << "learn tint; cc 2 99 1; cc 2 99 1; cc 1 99 1; cc 2 98 5; cc 2 99 1; cc 2 99 3; cc 2 99 1; take"
        << "learned cc 2 99 tint relative-twos, step tint 1";
    QTest::newRow("learn replaces the control's mapping")
        << "learn tint; cc 1 16 65; finish; cc 1 16 65; take" << "learned cc 1 16 tint relative-offset, step tint 1";
    QTest::newRow("learn an encoder turned down, faster") << "learn tint; cc 1 99 127; cc 1 99 126; cc 1 99 127; cc 1 99 125"
                                                           << "learned cc 1 99 tint relative-twos";
    QTest::newRow("learn a signed encoder turned both ways") << "learn tint; cc 1 99 1; cc 1 99 65; cc 1 99 65; cc 1 99 1"
                                                              << "learned cc 1 99 tint relative-signed";
    QTest::newRow("learn a fader rising") << "learn tint; cc 1 99 60; cc 1 99 61; cc 1 99 62; cc 1 99 63"
                                          << "learned cc 1 99 tint absolute";
    QTest::newRow("learn a fader falling to the bottom") << "learn tint; cc 1 99 3; cc 1 99 2; cc 1 99 1; cc 1 99 0"
                                                         << "learned cc 1 99 tint absolute";
    QTest::newRow("learn a fader touched") << "learn tint; cc 1 99 64; finish" << "learned cc 1 99 tint absolute";
    QTest::newRow("learn a button") << "learn sdr-preview; cc 1 99 127; cc 1 99 0" << "learned cc 1 99 sdr-preview button";
    QTest::newRow("learn a 14-bit fader") << "learn exposure; cc 1 2 10; cc 1 34 5" << "learned cc 1 2 exposure absolute14";
    QTest::newRow("learn a command on an encoder") << "learn redo; cc 1 21 1; finish" << "learned cc 1 21 redo button";
    QTest::newRow("learn a note") << "learn ab/toggle; note 1 40 90" << "learned note 1 40 ab/toggle note";
    QTest::newRow("learn nothing moved") << "learn tint; finish; cc 1 16 1; take" << "";
    QTest::newRow("learn an unknown name") << "learn gian/red" << "unknown";
}

void TestMidi::engine()
{
    QFETCH(QString, script);
    QFETCH(QString, out);
    QCOMPARE(run(script), out);
}

void TestMidi::mapFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("result"); // the mappings read, or the error

    const auto file = [](const QByteArray &mappings, const QByteArray &head = R"("version": 1, "controller": "X")") {
        return "{" + head + R"(, "mappings": [)" + mappings + "]}";
    };
    QTest::newRow("test map") << QByteArray(TestMap) << "8";
    QTest::newRow("defaults") << file(R"({"cc": 0, "parameter": "tint"}, {"note": 127, "parameter": "adjust"})") << "2";
    QTest::newRow("no controller") << file("", R"("version": 1)") << "0";
    QTest::newRow("newer") << file("", R"("version": 2)") << "version 2 is newer than this program reads (1)";
    QTest::newRow("no version") << file("", R"("Version": 1)") << "unknown key \"Version\"";
    QTest::newRow("not JSON") << QByteArray("{\"version\": 1,") << "not a mapping file (";
    // Errors by their beginning: the mapping and the fault.
    QTest::newRow("channel 17") << file(R"({"channel": 17, "cc": 1, "parameter": "tint"})") << "mapping 1: \"channel\"";
    QTest::newRow("cc and note") << file(R"({"cc": 1, "note": 1, "parameter": "tint"})") << "mapping 1: give either";
    QTest::newRow("note as a fader") << file(R"({"note": 1, "parameter": "tint", "mode": "absolute"})") << "mapping 1: a note";
    QTest::newRow("cc as a note") << file(R"({"cc": 1, "parameter": "tint", "mode": "note"})") << "mapping 1: mode \"note\"";
    QTest::newRow("14-bit pair beyond 31") << file(R"({"cc": 32, "parameter": "tint", "mode": "absolute14"})") << "mapping 1: an absolute14";
    QTest::newRow("unknown parameter") << file(R"({"cc": 1, "parameter": "gian/red"})") << "mapping 1: unknown parameter \"gian/red\"";
    QTest::newRow("command on an encoder") << file(R"({"cc": 1, "parameter": "undo", "mode": "relative-twos"})") << "mapping 1: a command";
    QTest::newRow("bad step") << file(R"({"cc": 1, "parameter": "tint", "step": "huge"})") << "mapping 1: \"step\"";
    QTest::newRow("unknown key") << file(R"({"cc": 1, "parameter": "tint", "pick-up": false})") << "mapping 1: unknown key \"pick-up\"";
    const QByteArray pair = R"({"cc": 1, "parameter": "tint", "mode": "absolute14"})";
    QTest::newRow("same control twice") << file(pair + R"(, {"cc": 1, "parameter": "exposure"})") << "mapping 2: its control is mapping 1's";
    QTest::newRow("a 14-bit pair's low half") << file(pair + R"(, {"cc": 33, "parameter": "exposure"})") << "mapping 2: its control is mapping 1's";
    QTest::newRow("same number, other channel or a note")
        << file(R"({"cc": 1, "parameter": "tint"}, {"channel": 2, "cc": 1, "parameter": "tint"}, {"note": 1, "parameter": "undo"})") << "3";
    QByteArray many;
    for (int i = 0; i <= MidiMapFile::MostMappings; ++i)
        many += QByteArray(i ? "," : "") + R"({"channel": )" + QByteArray::number(i / 128 + 1) + R"(, "cc": )"
                + QByteArray::number(i % 128) + R"(, "parameter": "tint"})";
    QTest::newRow("too many mappings") << file(many) << "more than 1024 mappings";
    QTest::newRow("too large") << file("", R"("version": 1, "controller": ")" + QByteArray(300000, 'x') + "\"")
                               << "the file is larger than 256 KiB";
}

void TestMidi::mapFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, result);
    MidiMap map;
    map.controller = QStringLiteral("untouched");
    const MidiMap before = map;
    QString error;
    if (!MidiMapFile::read(file, map, error)) {
        QVERIFY2(!result.isEmpty() && error.startsWith(result), qPrintable(error));
        QCOMPARE(map, before);
        return;
    }
    QCOMPARE(QString::number(map.mappings.size()), result);
    // Written and read again, a map is the same, and so are its bytes.
    MidiMap again;
    QVERIFY(MidiMapFile::read(MidiMapFile::write(map), again, error));
    QCOMPARE(again, map);
    QCOMPARE(MidiMapFile::write(again), MidiMapFile::write(map));
}

void TestMidi::files()
{
    // The README's example is the file beside it, and it is read.
    QFile file(QStringLiteral(SOURCE_DIR "/docs/midi/generic-8-encoders.json"));
    QFile readme(QStringLiteral(SOURCE_DIR "/README.md"));
    QVERIFY(file.open(QIODevice::ReadOnly) && readme.open(QIODevice::ReadOnly));
    const QByteArray example = file.readAll();
    MidiMap map;
    QString error;
    QVERIFY2(MidiMapFile::read(example, map, error), qPrintable(error));
    QVERIFY(readme.readAll().contains(QByteArray("    " + example.trimmed()).replace("\n", "\n    ")));
    // A pipe, which would block the open, is refused as a look file's would be.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY2(!MidiMapFile::load(fifo, map, error) && error.contains(QLatin1String("pipe")), qPrintable(error));
}

void TestMidi::patterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("part of the name, any case") << "nanokontrol" << "nanoKONTROL2:nanoKONTROL2 MIDI 1 24:0" << true;
    QTest::newRow("empty matches nothing") << "" << "Desk:out" << false;
    QTest::newRow("star") << "*" << "Desk:out" << true;
    QTest::newRow("whole name") << "desk:*" << "Desk:out" << true;
    QTest::newRow("whole name, not a part") << "esk:*" << "Desk:out" << false;
    QTest::newRow("many stars") << "*a*a*a*a*a*a*a*a*b" << QString(200, QLatin1Char('a')) << false;
}

void TestMidi::patterns()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(MidiMap::matches(pattern, name), matches);
}

void TestMidi::inboxIsBounded()
{
    MidiInbox inbox;
    const unsigned char cc[] = {0xB0, 0x10, 0x01};
    const QByteArray sysex(1000, '\x01');
    int wakes = 0;
    for (int i = 0; i < 3 * MidiInbox::Capacity; ++i) {
        wakes += inbox.put(cc, sizeof cc);
        inbox.put(reinterpret_cast<const unsigned char *>(sysex.constData()), std::size_t(sysex.size()));
    }
    QCOMPARE(wakes, 1);
    QCOMPARE(inbox.take(5 * MidiInbox::Capacity).size(), MidiInbox::Capacity);
    QCOMPARE(inbox.dropped(), quint64(5 * MidiInbox::Capacity));
    QVERIFY(inbox.put(cc, sizeof cc));
}

QTEST_GUILESS_MAIN(TestMidi)
#include "tst_midi.moc"
