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

    QTest::newRow("fewer than stored") << QVariant(2) << QStringList{"a", "b"};
    QTest::newRow("more than stored") << QVariant(5) << QStringList{"a", "b", "c", "", ""};
    QTest::newRow("negative") << QVariant(-4) << QStringList();
    QTest::newRow("not a number") << QVariant(QStringLiteral("many")) << QStringList();
    QTest::newRow("huge") << QVariant(2000000000) << QStringList{"a", "b", "c"};
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
    if (count.toInt() > 1000) {
        // A damaged count is cut to the bound; what lies beyond the stored
        // elements reads as empty names.
        QCOMPARE(loaded.gangNames.size(), PrismoSettings::MaxGangSize);
        QCOMPARE(loaded.gangNames.mid(0, 3), names);
        QCOMPARE(loaded.gangNames.last(), QString());
    } else {
        QCOMPARE(loaded.gangNames, names);
    }
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
// ends the program unless the store is left unread; texts that only look
// like one read as texts.
void TestPrismoSettings::damagedStore_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("names");

    const QByteArray gang = "\n[GangPrismoNames]\n1\\GangPrismoName=prismo-a \nsize=1\n";
    const QByteArray hugeList = "@Variant(\\0\\0\\0\\x31\\x30\\0\\0\\0)";
    QTest::newRow("serialised count") << "[General]\nIPAddress=10.0.0.1\nNumGangPrismos=" + hugeList + "\n" + gang
                                      << QString() << QStringList();
    QTest::newRow("serialised value beside the keys") << "[General]\nIPAddress=10.0.0.1\nNumGangPrismos=1\nOther=" + hugeList
                                                               + "\n" + gang
                                                      << QString() << QStringList();
    QTest::newRow("@ written as an escape") << "[General]\nIPAddress=\\x40" + hugeList.mid(1) + "\n" << QString()
                                            << QStringList();
    QTest::newRow("quotes and a skipped escape inside")
        << "[General]\nIPAddress=\"@\"Var\\zi\\x61nt(" + hugeList.mid(9) + "\n" << QString() << QStringList();
    QTest::newRow("text beginning with @") << "[General]\nIPAddress=@@Variant(x)\nNumGangPrismos=1\n" + gang
                                           << QStringLiteral("@Variant(x)") << QStringList{"prismo-a"};
    QTest::newRow("escaped letters") << "[General]\nIPAddress=caf\\xe9\nNumGangPrismos=1\n" + gang
                                     << QStringLiteral("caf\u00e9") << QStringList{"prismo-a"};
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
}

QTEST_GUILESS_MAIN(TestPrismoSettings)
#include "tst_prismosettings.moc"
