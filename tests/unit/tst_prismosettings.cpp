#include "prismosettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// Settings files as the program finds them (the documented INI format), what
// it reads from them, and that the write at exit keeps what was read.
class TestPrismoSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void load_data();
    void load();
    void damagedValueCostsOnlyItself_data();
    void damagedValueCostsOnlyItself();
    void unreadableFileIsCutDown_data();
    void unreadableFileIsCutDown();
    void shorterGangLeavesNoOlderElements();

private:
    std::unique_ptr<QSettings> store() const;
    std::unique_ptr<QTemporaryDir> m_dir;
};

std::unique_ptr<QSettings> TestPrismoSettings::store() const
{
    return PrismoSettings::openStore(m_dir->filePath(QStringLiteral("PrismoRest.conf")));
}

namespace {
// Address, gang, OSC on, port, allowed, MIDI on, back end, mapping file.
QString describe(const PrismoSettings &s)
{
    return QStringList{s.address, s.gangNames.join(','), s.oscEnabled ? "on" : "off", QString::number(s.oscPort), s.oscAllow,
                       s.midiEnabled ? "on" : "off", s.midiBackend, s.midiMap}
        .join('|');
}
} // namespace

void TestPrismoSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPrismoSettings::load_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("first run: no file") << QByteArray() << "" << QStringList();

    // The count bounds what is read; what lies beyond the stored elements
    // reads as empty names, and a damaged count is cut to 256.
    const auto counted = [](const QByteArray &count) {
        return "[General]\nNumGangPrismos=" + count
            + "\n[GangPrismoNames]\n1\\GangPrismoName=a\n2\\GangPrismoName=b\n3\\GangPrismoName=c\nsize=3\n";
    };
    QStringList cut{"a", "b", "c"};
    while (cut.size() < PrismoSettings::MaxGangSize)
        cut << QString();
    QTest::newRow("count below the stored") << counted("2") << "" << QStringList{"a", "b"};
    QTest::newRow("count above the stored") << counted("5") << "" << QStringList{"a", "b", "c", "", ""};
    QTest::newRow("negative count") << counted("-4") << "" << QStringList();
    QTest::newRow("huge count") << counted("2000000000") << "" << cut;
    QTest::newRow("count beyond 64 bits") << counted("99999999999999999999") << "" << cut;
    QTest::newRow("negative count beyond 64 bits") << counted("-99999999999999999999") << "" << QStringList();

    // A value that QSettings would turn back into a list of 0x30000000
    // elements (a QByteArrayList, type 49, written the way QSettings writes
    // a variant) ends the program if QSettings ever reads it, at start-up or
    // at the write at exit. Such values are left out and count as missing;
    // everything else is read. Texts that only look like one read as texts.
    const QByteArray hugeList = "@Variant(\\0\\0\\0\\x31\\x30\\0\\0\\0)";
    const QByteArray address = "[General]\nIPAddress=10.0.0.1\n";
    const QByteArray gang = "NumGangPrismos=2\n[GangPrismoNames]\n1\\GangPrismoName=prismo-a \n2\\GangPrismoName=prismo-b\nsize=2\n";
    const QStringList both{"prismo-a", "prismo-b"};
    QTest::newRow("serialised count") << address + "NumGangPrismos=" + hugeList + "\n" + gang.mid(gang.indexOf('['))
                                      << "10.0.0.1" << QStringList();
    QTest::newRow("serialised value beside the keys") << address + "Other=" + hugeList + "\n" + gang << "10.0.0.1" << both;
    QTest::newRow("serialised value in another group") << address + gang + "[Other]\nx=1\ny=" + hugeList + "\r\nz=2"
                                                       << "10.0.0.1" << both;
    QTest::newRow("serialised gang name") << address + QByteArray(gang).replace("=prismo-a ", "=" + hugeList) << "10.0.0.1"
                                          << QStringList{"", "prismo-b"};
    QTest::newRow("serialised address") << "[General]\nIPAddress=" + hugeList + "\n" + gang << "" << both;
    QTest::newRow("@ written as an escape") << "[General]\nIPAddress=\\x40" + hugeList.mid(1) + "\n" + gang << "" << both;
    QTest::newRow("quotes and a skipped escape inside")
        << "[General]\nIPAddress=\"@\"Var\\zi\\x61nt(" + hugeList.mid(9) + "\n" + gang << "" << both;
    // Taking the line out joins the lines around it into a second one.
    QTest::newRow("joined by an escaped line end")
        << address + "A=@Var\\\n" + hugeList + "\niant(\\0\\0\\0\\x31\\x30\\0\\0\\0)\n" + gang << "10.0.0.1" << both;
    QTest::newRow("text beginning with @") << "[General]\nIPAddress=@@Variant(x)\n" + gang << "@Variant(x)" << both;
    QTest::newRow("escaped letters") << "[General]\nIPAddress=caf\\xe9\n" + gang << "caf\u00e9" << both;
}

void TestPrismoSettings::load()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, address);
    QFETCH(QStringList, names);

    if (!file.isNull()) {
        QFile stored(m_dir->filePath(QStringLiteral("PrismoRest.conf")));
        QVERIFY(stored.open(QIODevice::WriteOnly));
        stored.write(file);
    }
    PrismoSettings loaded;
    loaded.address = QStringLiteral("stale");
    loaded.gangNames << QStringLiteral("stale");
    loaded.load(*store());
    QCOMPARE(loaded.address, address);
    QCOMPARE(loaded.gangNames, names);

    PrismoSettings::save(*store(), loaded.address, loaded.gangNames);
    PrismoSettings again;
    again.load(*store());
    QCOMPARE(again.address, address);
    QCOMPARE(again.gangNames, names);
}

// A value that is not what its key holds is told and replaced by its
// default (MIDI's keys silently); the others are read as they are. A path
// with a comma (a list in the file) is read whole.
void TestPrismoSettings::damagedValueCostsOnlyItself_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("warning"); // empty: none
    QTest::addColumn<QString>("read");

    QTest::newRow("switch damaged") << QByteArray("OscEnabled=junk\nOscPort=9000") << "OscEnabled=\"junk\" is not true or false"
                                    << "10.0.0.1|a,b|off|9000||off||";
    QTest::newRow("port damaged") << QByteArray("OscEnabled=1\nOscPort=70000") << "OscPort=\"70000\" is not a port"
                                  << "10.0.0.1|a,b|on|0||off||";
    QTest::newRow("count damaged") << QByteArray("NumGangPrismos=many") << "NumGangPrismos=\"many\" is not a count"
                                   << "10.0.0.1||off|0||off||";
    QTest::newRow("damage quoted to 80 characters") << "OscPort=" + QByteArray(100000, '9')
                                                    << "OscPort=\"" + QString(80, '9') + "\"... (100000 characters) is not"
                                                    << "10.0.0.1|a,b|off|0||off||";
    QTest::newRow("MIDI on") << QByteArray("MidiEnabled=true\nMidiBackend=jack\nMidiMap=/a,b.json") << ""
                             << "10.0.0.1|a,b|off|0||on|jack|/a,b.json";
    QTest::newRow("MIDI switch damaged") << QByteArray("MidiEnabled=maybe\nMidiMap=/a.json") << "" << "10.0.0.1|a,b|off|0||off||/a.json";
}

void TestPrismoSettings::damagedValueCostsOnlyItself()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, warning);
    QFETCH(QString, read);

    QFile file(m_dir->filePath(QStringLiteral("PrismoRest.conf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\nIPAddress=10.0.0.1\nNumGangPrismos=2\n" + line
               + "\n[GangPrismoNames]\n1\\GangPrismoName=a\n2\\GangPrismoName=b\n");
    file.close();
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
    PrismoSettings loaded;
    loaded.load(*store());
    QCOMPARE(describe(loaded), read);
}

// A file too large to be read whole, or a pipe in its place, is set aside;
// what the program knows is taken from a large one (a line too long to be a
// value of its own left out). Neither the start nor the write at exit then
// handles more than a small file.
void TestPrismoSettings::unreadableFileIsCutDown_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<QString>("read");

    QTest::newRow("large") << false << "10.0.0.9|a,b|on|0|10.1.0.0/16|off||";
    QTest::newRow("pipe") << true << "||off|0||off||";
}

void TestPrismoSettings::unreadableFileIsCutDown()
{
    QFETCH(bool, pipe);
    QFETCH(QString, read);

    const QString path = m_dir->filePath(QStringLiteral("PrismoRest.conf"));
    QFile file(path);
    if (pipe) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nIPAddress=10.0.0.1\nNumGangPrismos=2\nOscEnabled=true\n");
        for (int i = 0; i < 100000; ++i)
            file.write("Junk" + QByteArray::number(i) + "=1234567\n");
        file.write("RecentLooks=" + QByteArray(4000, 'x') + "\n[GangPrismoNames]\n1\\GangPrismoName=a\n2\\GangPrismoName=b\n"
                   "300\\GangPrismoName=c\n[General]\nIPAddress=10.0.0.9\nOscAllow=10.1.0.0/16\n");
        file.close();
    }
    const qint64 size = QFileInfo(path).size();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("set aside as .*PrismoRest.conf.set-aside"));
    PrismoSettings loaded;
    loaded.load(*store());
    QCOMPARE(describe(loaded), read);
    QCOMPARE(QFileInfo(path + ".set-aside").size(), size);
    QVERIFY(QFileInfo(path).isFile() && QFileInfo(path).size() < 1000);
}

void TestPrismoSettings::shorterGangLeavesNoOlderElements()
{
    PrismoSettings::save(*store(), QStringLiteral("a"), {"unit0", "unit1", "unit2"});
    PrismoSettings::save(*store(), QStringLiteral("a"), {"solo"});
    const QString fresh = m_dir->filePath(QStringLiteral("fresh.conf"));
    PrismoSettings::save(*PrismoSettings::openStore(fresh), QStringLiteral("a"), {"solo"});
    QFile saved(m_dir->filePath(QStringLiteral("PrismoRest.conf")));
    QFile expected(fresh);
    QVERIFY(saved.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), expected.readAll());
}

QTEST_GUILESS_MAIN(TestPrismoSettings)
#include "tst_prismosettings.moc"
