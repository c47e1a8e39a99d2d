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
    QList<DeviceEntry> devices{{}, {}, {}};
    for (int i = 0; i < 3; ++i) {
        devices[i].hostName = QStringLiteral("unit%1").arg(i);
        devices[i].ganged = true;
    }
    PrismoSettings::save(*store(), QStringLiteral("a"), devices);
    devices[0].ganged = devices[1].ganged = devices[2].ganged = false;
    PrismoSettings::save(*store(), QStringLiteral("a"), devices);

    PrismoSettings loaded;
    loaded.load(*store());
    QCOMPARE(loaded.gangNames, QStringList());
    QCOMPARE(store()->value(QStringLiteral("NumGangPrismos")).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestPrismoSettings)
#include "tst_prismosettings.moc"
