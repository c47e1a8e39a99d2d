#include "discoveryreply.h"
#include "prismosettings.h"

#include <QProcess>

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// Settings files as the program finds them (the documented INI format), what
// it reads from them, and that the write at exit keeps what was read.
class TestPrismoSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void load_data();
    void load();
    void shorterGangHidesOlderElements();
    void midiKeys_data();
    void midiKeys();
    void scriptWritesWhatTheProgramWrites_data();
    void scriptWritesWhatTheProgramWrites();

private:
    std::unique_ptr<QSettings> store() const;
    std::unique_ptr<QTemporaryDir> m_dir;
};

std::unique_ptr<QSettings> TestPrismoSettings::store() const
{
    return std::make_unique<QSettings>(m_dir->filePath(QStringLiteral("PrismoRest.conf")), QSettings::IniFormat);
}

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
    QTest::newRow("count not a number") << counted("many") << "" << QStringList();
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

void TestPrismoSettings::shorterGangHidesOlderElements()
{
    PrismoSettings::save(*store(), QStringLiteral("a"), {"unit0", "unit1", "unit2"});
    PrismoSettings::save(*store(), QStringLiteral("a"), {"solo"});
    PrismoSettings loaded;
    loaded.load(*store());
    QCOMPARE(loaded.gangNames, QStringList{"solo"});
}

// The demo and test scripts' settings file: byte for byte what the program
// saves for the same gang, and a gang that a unit's list of these hosts marks.
// A damaged MIDI key costs only itself; a path with a comma (a list in the file) is read whole.
void TestPrismoSettings::midiKeys_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("read"); // enabled, back end, map

    QTest::newRow("as written") << QByteArray("MidiEnabled=true\nMidiBackend=jack\nMidiMap=/a,b.json") << "1 jack /a,b.json";
    QTest::newRow("neither true nor false") << QByteArray("MidiEnabled=maybe\nMidiMap=/a.json") << "0  /a.json";
}

void TestPrismoSettings::midiKeys()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, read);

    QFile stored(m_dir->filePath(QStringLiteral("PrismoRest.conf")));
    QVERIFY(stored.open(QIODevice::WriteOnly) && stored.write("[General]\nIPAddress=10.0.0.1\n" + file + "\n") > 0);
    stored.close();
    PrismoSettings loaded;
    loaded.load(*store());
    QCOMPARE(loaded.address, QStringLiteral("10.0.0.1"));
    QCOMPARE(QStringLiteral("%1 %2 %3").arg(int(loaded.midiEnabled)).arg(loaded.midiBackend, loaded.midiMap), read);
}

void TestPrismoSettings::scriptWritesWhatTheProgramWrites_data()
{
    QTest::addColumn<QStringList>("hosts");
    QTest::newRow("no gang") << QStringList();
    QTest::newRow("one") << QStringList{"prismo-grade-b"};
    QStringList ten;
    for (int i = 1; i <= 10; ++i)
        ten << QStringLiteral("prismo-%1").arg(i);
    QTest::newRow("ten, keys in text order") << ten;
}

void TestPrismoSettings::scriptWritesWhatTheProgramWrites()
{
    QFETCH(QStringList, hosts);

    QProcess script;
    script.start(QStringLiteral("bash"), QStringList{WRITE_SETTINGS_SCRIPT, m_dir->path(), "127.0.0.11"} + hosts);
    QVERIFY(script.waitForFinished(30000));
    QCOMPARE(script.exitCode(), 0);
    QFile written(m_dir->filePath(QStringLiteral("tavi/PrismoRest.conf")));
    QVERIFY(written.open(QIODevice::ReadOnly));

    QByteArray list = "{\"value\":\"[";
    for (const QString &host : hosts)
        list += "{\\\"device_name\\\":\\\"Prismo\\\",\\\"host_name\\\":\\\"" + host.toUtf8()
              + "\\\",\\\"ip_address\\\":\\\"10.0.0.1\\\"},";
    if (!hosts.isEmpty())
        list.chop(1);
    list += "]\"}";
    DiscoveryReply reply;
    QVERIFY(reply.parse(list));
    QStringList listed;
    for (const DeviceEntry &entry : reply.entries)
        listed << entry.hostName;

    PrismoSettings loaded;
    QSettings scripts(written.fileName(), QSettings::IniFormat);
    loaded.load(scripts);
    QCOMPARE(loaded.address, QStringLiteral("127.0.0.11"));
    QCOMPARE(loaded.gangNames, listed);

    PrismoSettings::save(*store(), loaded.address, listed);
    QFile saved(m_dir->filePath(QStringLiteral("PrismoRest.conf")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), saved.readAll());
}

QTEST_GUILESS_MAIN(TestPrismoSettings)
#include "tst_prismosettings.moc"
