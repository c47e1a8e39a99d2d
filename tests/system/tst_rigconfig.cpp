#include "rigconfig.h"

#include <QtTest>

// The simulator's fault settings: what a unit is told is what it does.
class TestRigConfig : public QObject
{
    Q_OBJECT

private slots:
    void faultSettings_data();
    void faultSettings();
};

void TestRigConfig::faultSettings_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");

    QTest::newRow("blank-separated, all kinds")
        << "none"
        << "fail=eParamID_B fail=eParamID_A drop=3 close stall standard oversize chunked=5000 garbage cut=7" << true
        << "chunked=5000,close,drop=3,fail=eParamID_A,fail=eParamID_B,stall,oversize=5000,standard,garbage,cut=7";
    QTest::newRow("cut back to half") << "cut=7"
                                      << "cut" << true << "cut";
    QTest::newRow("cut of nothing refused") << "garbage"
                                            << "cut=0" << false << "garbage";
    QTest::newRow("one turned off") << "close,stall,fail=eParamID_A,fail=eParamID_B"
                                    << "no-stall no-fail=eParamID_A" << true << "close,fail=eParamID_B";
    QTest::newRow("bad number keeps all") << "close"
                                          << "delay=10,drop=x" << false << "close";
}

void TestRigConfig::faultSettings()
{
    QFETCH(QString, before);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, after);

    FaultSettings faults;
    QString error;
    QVERIFY(faults.apply(before, &error));
    QCOMPARE(faults.apply(text, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    QCOMPARE(faults.describe(), after);
    // The description reads back as the same settings.
    FaultSettings again;
    QVERIFY(again.apply(faults.describe(), &error));
    QVERIFY(again == faults);
}

QTEST_GUILESS_MAIN(TestRigConfig)
#include "tst_rigconfig.moc"
