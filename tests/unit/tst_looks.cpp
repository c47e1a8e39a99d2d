#include "abmemory.h"
#include "lookfile.h"
#include "regularfile.h"
#include "undohistory.h"

#include <QtTest>

#include <sys/stat.h>

using PC = ParameterCatalogue;

namespace {
// A history script: "g" begins a gesture, "e" ends it, "s<slot>=<value>@<ms>"
// records a change (from the slot's last value), "u" undoes, "r" redoes.
// Returns the steps left to undo, each as "slot:before>after ...".
QStringList play(const QStringList &script)
{
    UndoHistory history;
    QHash<int, int> values;
    const QString key = QStringLiteral("unit/1");
    for (const QString &command : script) {
        if (command == QLatin1String("g")) {
            history.beginGesture();
        } else if (command == QLatin1String("e")) {
            history.endGesture();
        } else if (command == QLatin1String("u") || command == QLatin1String("r")) {
            const bool undo = command == QLatin1String("u");
            if (const auto step = undo ? history.undo(key) : history.redo(key))
                for (const UndoHistory::Change &change : *step)
                    values[change.slot] = undo ? change.before : change.after;
        } else {
            const int slot = command.mid(1).section('=', 0, 0).toInt();
            const int value = command.section('=', 1).section('@', 0, 0).toInt();
            history.record(key, slot, values.value(slot), value, command.section('@', 1).toLongLong());
            values[slot] = value;
        }
    }
    QStringList steps;
    while (const auto step = history.undo(key)) {
        QStringList changes;
        for (const UndoHistory::Change &c : *step)
            changes << QStringLiteral("%1:%2>%3").arg(c.slot).arg(c.before).arg(c.after);
        steps.prepend(changes.join(' '));
    }
    return steps;
}

LookFile::Contents sample()
{
    LookFile::Contents contents;
    for (int slot = 0; slot < PC::SlotCount; ++slot)
        contents.look.values[std::size_t(slot)] = PC::slot(slot).startPosition;
    contents.look.values[PC::GainRed] = 1250;
    contents.look.values[PC::OutDynRange] = 5; // unit value 7
    contents.look.values[PC::Tint] = -16000;
    contents.program = QStringLiteral("1.0");
    contents.unit = QStringLiteral("Grade \"A\" ü");
    contents.channel = 3;
    return contents;
}

QByteArray edited(const QByteArray &from, const QByteArray &to)
{
    QByteArray file = LookFile::write(sample());
    return file.replace(from, to);
}
} // namespace

// The history of the user's changes, the A/B memories and look files.
class TestLooks : public QObject
{
    Q_OBJECT

private slots:
    void historyGroupsGestures_data();
    void historyGroupsGestures();
    void lookFileRoundTrip();
    void badLookFiles_data();
    void badLookFiles();
    void onlyRegularFilesAreOpened_data();
    void onlyRegularFilesAreOpened();
};

void TestLooks::historyGroupsGestures_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("steps");

    QTest::newRow("knob detents close together") << QStringList{"s12=1@0", "s12=2@300", "s12=3@700"}
                                                 << QStringList{"12:0>3"};
    QTest::newRow("a pause makes a new step") << QStringList{"s12=1@0", "s12=2@600"}
                                              << QStringList{"12:0>1", "12:1>2"};
    QTest::newRow("another parameter makes a new step") << QStringList{"s12=1@0", "s13=1@10", "s12=2@20"}
                                                        << QStringList{"12:0>1", "13:0>1", "12:1>2"};
    QTest::newRow("a drag is one step however slow") << QStringList{"g", "s7=5@0", "s7=9@2000", "s7=4@5000", "e"}
                                                     << QStringList{"7:0>4"};
    QTest::newRow("a reset of many is one step") << QStringList{"s7=5@0", "s8=6@0", "g", "s7=0@900", "s8=0@900", "e"}
                                                 << QStringList{"7:0>5", "8:0>6", "7:5>0 8:6>0"};
    QTest::newRow("a drag back to the start leaves nothing") << QStringList{"g", "s7=5@0", "s7=0@10", "e"}
                                                             << QStringList();
    QTest::newRow("nothing joins a finished gesture") << QStringList{"g", "s7=5@0", "e", "s7=6@10"}
                                                      << QStringList{"7:0>5", "7:5>6"};
    QTest::newRow("undo then redo") << QStringList{"s1=1@0", "s2=2@1000", "u", "u", "r"} << QStringList{"1:0>1"};
    QTest::newRow("a new change drops what was undone") << QStringList{"s1=1@0", "s2=2@1000", "u", "s3=3@2000", "r"}
                                                        << QStringList{"1:0>1", "3:0>3"};
    // The newest steps are kept, up to the limit. (Each channel's own
    // history: the controller's test.)
    QStringList many, kept;
    for (int i = 1; i <= UndoHistory::Limit + 20; ++i) {
        many << QStringLiteral("s7=%1@%2").arg(i).arg(i * 1000);
        kept << QStringLiteral("7:%1>%2").arg(i - 1).arg(i);
    }
    QTest::newRow("the limit") << many << QStringList(kept.mid(20));
}

void TestLooks::historyGroupsGestures()
{
    QFETCH(QStringList, script);
    QFETCH(QStringList, steps);
    QCOMPARE(play(script), steps);
}

// A toggle needs both looks, and each place has its own. (Storing makes a
// look live, and a toggle writes what differs: the controller's test.)
// A look comes back exactly as it was saved, and saving it again gives the same bytes.
void TestLooks::lookFileRoundTrip()
{
    const QByteArray file = LookFile::write(sample());
    LookFile::Contents read;
    QString error;
    QVERIFY2(LookFile::read(file, read, error), qPrintable(error));
    QVERIFY(read.look == sample().look);
    QCOMPARE(read.unit, sample().unit);
    QCOMPARE(read.channel, 3);
    QCOMPARE(LookFile::write(read), file);
}

void TestLooks::badLookFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");

    QTest::newRow("newer format") << edited("\"version\": 1", "\"version\": 2") << "newer Prismolink";
    QTest::newRow("no version") << edited("\"version\": 1", "\"versio\": 1") << "damaged";
    QTest::newRow("cut short") << LookFile::write(sample()).left(200) << "damaged";
    QTest::newRow("not a look") << QByteArray("{\"format\": \"other\"}") << "not a Prismolink look";
    QTest::newRow("unknown parameter") << edited("\"ColorHDRTint\"", "\"ColorHDRTone\"") << "does not know";
    QTest::newRow("slider out of range") << edited("\"ColorHDRGainRed\": 1250", "\"ColorHDRGainRed\": 5001")
                                         << "ColorHDRGainRed";
    QTest::newRow("choice without row") << edited("\"DynamicRangeAndGamutOut\": 7", "\"DynamicRangeAndGamutOut\": 8")
                                        << "DynamicRangeAndGamutOut";
    QTest::newRow("switch of 2") << edited("\"SdrPreview\": 0", "\"SdrPreview\": 2") << "SdrPreview";
    QTest::newRow("fraction") << edited("\"ColorHDRGainRed\": 1250", "\"ColorHDRGainRed\": 1250.5")
                              << "ColorHDRGainRed";
    QTest::newRow("text value") << edited("\"ColorHDRGainRed\": 1250", "\"ColorHDRGainRed\": \"1250\"")
                                << "ColorHDRGainRed";
    QTest::newRow("missing parameter") << edited("\"ColorHDRGainRed\": 1250,", "") << "lacks";
    QTest::newRow("too large") << QByteArray(LookFile::LargestFile + 1, ' ') << "too large";
}

// A file that cannot be used in whole is refused with its reason, and
// nothing of it reaches the caller.
void TestLooks::badLookFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    LookFile::Contents contents;
    contents.unit = QStringLiteral("untouched");
    QString reason;
    QVERIFY(!LookFile::read(file, contents, reason));
    QVERIFY2(reason.contains(error), qPrintable(reason));
    QCOMPARE(contents.unit, QStringLiteral("untouched"));
}

// Files named from outside: what is refused before anything is read. A pipe
// without a writer would hold the open for good.
void TestLooks::onlyRegularFilesAreOpened_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error"); // empty: the look is loaded

    QTest::newRow("link to a look") << "link" << "";
    QTest::newRow("pipe") << "pipe" << "pipe";
    QTest::newRow("link to a pipe") << "link to pipe" << "pipe";
    QTest::newRow("folder") << "." << "folder";
    QTest::newRow("device") << "/dev/zero" << "device";
    QTest::newRow("one byte over the bound") << "large" << "too large";
    QTest::newRow("missing") << "missing" << "No such file";
}

void TestLooks::onlyRegularFilesAreOpened()
{
    QFETCH(QString, name);
    QFETCH(QString, error);

    QTemporaryDir dir;
    QFile look(dir.filePath(QStringLiteral("look")));
    QVERIFY(look.open(QIODevice::WriteOnly) && look.write(LookFile::write(sample())) > 0);
    look.close();
    const auto path = [&dir](const char *file) { return dir.filePath(QLatin1String(file)); };
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    QVERIFY(look.copy(path("large")) && QFile::resize(path("large"), LookFile::LargestFile + 1));
    QVERIFY(look.link(path("link")) && QFile::link(path("pipe"), path("link to pipe")));

    LookFile::Contents contents;
    QString reason;
    QCOMPARE(LookFile::load(QDir(dir.path()).filePath(name), contents, reason), error.isEmpty());
    QVERIFY2(reason.contains(error), qPrintable(reason));
    QCOMPARE(contents.unit, error.isEmpty() ? sample().unit : QString());
}

QTEST_GUILESS_MAIN(TestLooks)
#include "tst_looks.moc"
