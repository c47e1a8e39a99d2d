#include "prismosettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestPrismoSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void firstRun();
    void count_data();
    void count();
    void shorterGangHidesOlderElements();
    void damagedStore_data();
    void damagedStore();

private:
    std::unique_ptr<QSettings> store();
    std::unique_ptr<QTemporaryDir> m_dir;
};

std::unique_ptr<QSettings> TestPrismoSettings::store()
{
    return std::make_unique<QSettings>(m_dir->filePath(QStringLiteral("PrismoRest.conf")), QSettings::IniFormat);
}

void TestPrismoSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPrismoSettings::firstRun()
{
    PrismoSettings loaded;
    loaded.gangNames << QStringLiteral("stale");
    loaded.load(*store());
    QCOMPARE(loaded.address, QString());
    QCOMPARE(loaded.gangNames, QStringList());
}

void TestPrismoSettings::count_data()
{
    QTest::addColumn<QVariant>("count");
    QTest::addColumn<QStringList>("names");

    // A damaged count is cut to the bound; what lies beyond the stored
    // elements reads as empty names.
    QStringList cut{"a", "b", "c"};
    while (cut.size() < PrismoSettings::MaxGangSize)
        cut << QString();
    QTest::newRow("fewer than stored") << QVariant(2) << QStringList{"a", "b"};
    QTest::newRow("more than stored") << QVariant(5) << QStringList{"a", "b", "c", "", ""};
    QTest::newRow("negative") << QVariant(-4) << QStringList();
    QTest::newRow("not a number") << QVariant(QStringLiteral("many")) << QStringList();
    QTest::newRow("huge") << QVariant(2000000000) << cut;
    QTest::newRow("beyond 64 bits") << QVariant(QStringLiteral("99999999999999999999")) << cut;
    QTest::newRow("negative beyond 64 bits") << QVariant(QStringLiteral("-99999999999999999999")) << QStringList();
}

void TestPrismoSettings::count()
{
    QFETCH(QVariant, count);
    QFETCH(QStringList, names);
    {
        auto s = store();
        s->beginWriteArray(QStringLiteral("GangPrismoNames"));
        const QStringList stored{"a", "b", "c"};
        for (int i = 0; i < stored.size(); ++i) {
            s->setArrayIndex(i);
            s->setValue(QStringLiteral("GangPrismoName"), stored[i]);
        }
        s->endArray();
        s->setValue(QStringLiteral("NumGangPrismos"), count);
    }
    PrismoSettings loaded;
    loaded.load(*store());
    QCOMPARE(loaded.gangNames, names);
}

void TestPrismoSettings::shorterGangHidesOlderElements()
{
    PrismoSettings::save(*store(), QStringLiteral("a"), {"unit0", "unit1", "unit2"});
    PrismoSettings::save(*store(), QStringLiteral("a"), {});

    PrismoSettings loaded;
    loaded.load(*store());
    QCOMPARE(loaded.gangNames, QStringList());
    QCOMPARE(store()->value(QStringLiteral("NumGangPrismos")).toInt(), 0);
}

// A value that QSettings would turn back into a list of 0x30000000 elements
// (a QByteArrayList, type 49, written the way QSettings writes a variant)
// ends the program if QSettings ever reads it, at start-up or at the write
// at exit. Such values are left out and count as missing; everything else
// is read, and kept when the settings are written again. Texts that only
// look like one read as texts.
void TestPrismoSettings::damagedStore_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("names");

    const QByteArray hugeList = "@Variant(\\0\\0\\0\\x31\\x30\\0\\0\\0)";
    const QByteArray address = "[General]\nIPAddress=10.0.0.1\n";
    const QByteArray gang = "NumGangPrismos=2\n[GangPrismoNames]\n1\\GangPrismoName=prismo-a \n2\\GangPrismoName=prismo-b\nsize=2\n";
    const QStringList both{"prismo-a", "prismo-b"};
    QTest::newRow("serialised count") << address + "NumGangPrismos=" + hugeList + "\n" + gang.mid(gang.indexOf('['))
                                      << "10.0.0.1" << QStringList();
    QTest::newRow("serialised value beside the keys") << address + "Other=" + hugeList + "\n" + gang << "10.0.0.1" << both;
    QTest::newRow("serialised value in another group")
        << address + gang + "[Other]\nx=1\ny=" + hugeList + "\r\nz=2" << "10.0.0.1" << both;
    QTest::newRow("serialised gang name")
        << address + QByteArray(gang).replace("=prismo-a ", "=" + hugeList) << "10.0.0.1" << QStringList{"", "prismo-b"};
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

void TestPrismoSettings::damagedStore()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, address);
    QFETCH(QStringList, names);

    QFile stored(m_dir->filePath(QStringLiteral("PrismoRest.conf")));
    QVERIFY(stored.open(QIODevice::WriteOnly));
    stored.write(file);
    stored.close();
    PrismoSettings loaded;
    loaded.address = QStringLiteral("stale");
    loaded.load(*store());
    QCOMPARE(loaded.address, address);
    QCOMPARE(loaded.gangNames, names);

    // The write at exit keeps what was read.
    PrismoSettings::save(*store(), loaded.address, loaded.gangNames);
    PrismoSettings again;
    again.load(*store());
    QCOMPARE(again.address, address);
    QCOMPARE(again.gangNames, names);
}

QTEST_GUILESS_MAIN(TestPrismoSettings)
#include "tst_prismosettings.moc"
