#include "encoderaccumulator.h"
#include "panelcontrolmap.h"

#include <QtTest>

class TestPanelControlMap : public QObject
{
    Q_OBJECT

private slots:
    void encoderRoad_data();
    void encoderRoad();
    void encoderTable();
    void buttons_data();
    void buttons();
    void buttonGuards();
    void pages();
};

namespace {

struct Turn
{
    int page;
    quint32 id;
    float increment;
};

} // namespace

Q_DECLARE_METATYPE(QList<Turn>)

void TestPanelControlMap::encoderRoad_data()
{
    QTest::addColumn<bool>("adjust");
    QTest::addColumn<QList<Turn>>("turns");
    QTest::addColumn<QStringList>("moves");

    QTest::newRow("10 then 10 on master lift") << true << QList<Turn>{{0, 0, 10}, {0, 0, 10}} << QStringList{"-", "masterLiftSlider +1"};
    QTest::newRow("-90") << true << QList<Turn>{{0, 0, -90}} << QStringList{"masterLiftSlider -500"};
    QTest::newRow("shared between encoders") << true << QList<Turn>{{0, 0, 10}, {0, 3, 10}} << QStringList{"-", "redLiftSlider +1"};
    QTest::newRow("unmapped id clears the sum") << true << QList<Turn>{{1, 1, 20}, {1, 0, 10}, {1, 0, 10}}
                                                << QStringList{"-", "-", "hdrAmountSlider +1"};
    QTest::newRow("Adjust off, page 0: nothing adds up") << false << QList<Turn>{{0, 0, 10}, {0, 0, 10}, {0, 0, 10}}
                                                        << QStringList{"-", "-", "-"};
    QTest::newRow("Adjust off, encoder 12 still adds up") << false << QList<Turn>{{0, 12, 10}, {3, 0, 10}}
                                                          << QStringList{"-", "currentPrismoChoiceComboBox +1"};
    QTest::newRow("Adjust off, page 3 choosers work") << false << QList<Turn>{{3, 9, 20}}
                                                      << QStringList{"outDynRangeGamutChoiceComboBox +1"};
    QTest::newRow("Adjust off, page 2 guarded") << false << QList<Turn>{{2, 0, 90}} << QStringList{"-"};
}

void TestPanelControlMap::encoderRoad()
{
    QFETCH(bool, adjust);
    QFETCH(QList<Turn>, turns);
    QFETCH(QStringList, moves);
    EncoderAccumulator accumulator;
    QStringList got;
    for (const Turn &t : turns) {
        const auto m = PanelControlMap::encoderMove(t.page, t.id, adjust, t.increment, accumulator);
        got << (m.step == 0 ? QStringLiteral("-")
                            : QStringLiteral("%1 %2%3")
                                  .arg(QLatin1String(PanelControlMap::objectName(m.control)))
                                  .arg(m.step > 0 ? "+" : "")
                                  .arg(m.step));
    }
    QCOMPARE(got, moves);
}

void TestPanelControlMap::encoderTable()
{
    // Page 0 is a grid: id = 3 x row + column.
    const char *const rows[] = {"master", "red", "green", "blue"};
    const char *const columns[] = {"LiftSlider", "GammaSlider", "GainSlider"};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            QCOMPARE(QString::fromLatin1(PanelControlMap::objectName(PanelControlMap::encoderControl(0, quint32(3 * row + column)))),
                     QString::fromLatin1(rows[row]) + QLatin1String(columns[column]));
    // Pages 1 to 3 use the encoders 0, 3, 6, 9 and 10 only.
    QCOMPARE(PanelControlMap::objectName(PanelControlMap::encoderControl(1, 10)), "saturationSlider");
    QCOMPARE(PanelControlMap::objectName(PanelControlMap::encoderControl(2, 6)), "tintSlider");
    QCOMPARE(PanelControlMap::chooserOf(PanelControlMap::encoderControl(3, 10)), ChooserStepper::MonRange);
    for (quint32 id : {1u, 2u, 4u, 5u, 7u, 8u, 11u, 12u, 13u})
        for (int page = 1; page < 4; ++page)
            QCOMPARE(PanelControlMap::encoderControl(page, id), PanelControl::None);
}

void TestPanelControlMap::buttons_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QString>("action");

    QTest::newRow("0/0 lift reset") << 0 << 0u << "reset masterLiftSlider 0";
    QTest::newRow("0/11 gain reset") << 0 << 11u << "reset blueGainSlider 1000";
    QTest::newRow("1/2 SDR preview") << 1 << 2u << "toggle clampCheckBox";
    QTest::newRow("1/5 Adjust") << 1 << 5u << "toggle adjustGroupBox";
    QTest::newRow("1/6 look") << 1 << 6u << "reset lookSlider 500";
    QTest::newRow("1/1 nothing") << 1 << 1u << "none";
    QTest::newRow("2/10 PQ level") << 2 << 10u << "reset pqoutnitLevelSlider 1000";
    QTest::newRow("3/9 output range") << 3 << 9u << "commit outDynRangeGamutChoiceComboBox";
    QTest::newRow("3/11 nothing") << 3 << 11u << "none";
    QTest::newRow("12 next page") << 2 << 12u << "next page";
    QTest::newRow("13 double press") << 3 << 13u << "double press";
    QTest::newRow("14 ignored") << 0 << 14u << "none";
    QTest::newRow("page 4 ignored") << 4 << 0u << "none";
}

void TestPanelControlMap::buttons()
{
    QFETCH(int, page);
    QFETCH(quint32, id);
    QFETCH(QString, action);
    using A = PanelControlMap::ButtonAction;
    const A a = PanelControlMap::buttonAction(page, id, true);
    const QString name = QLatin1String(PanelControlMap::objectName(a.control));
    QString got;
    switch (a.kind) {
    case A::None: got = QStringLiteral("none"); break;
    case A::ResetSlider: got = QStringLiteral("reset %1 %2").arg(name).arg(a.value); break;
    case A::Toggle: got = QStringLiteral("toggle ") + name; break;
    case A::Commit: got = QStringLiteral("commit ") + name; break;
    case A::NextPage: got = QStringLiteral("next page"); break;
    case A::DoublePress: got = QStringLiteral("double press"); break;
    }
    QCOMPARE(got, action);
}

void TestPanelControlMap::buttonGuards()
{
    // Adjust off: page 0 takes only 12, page 1 only 2, 5 and 12, pages 2 and 3 everything up to 13.
    for (int page = 0; page < 4; ++page) {
        QString allowed;
        for (quint32 id = 0; id <= 14; ++id)
            if (PanelControlMap::buttonAllowed(page, id, false))
                allowed += QString::number(id) + QLatin1Char(' ');
        const QString expected = page == 0 ? "12 " : page == 1 ? "2 5 12 " : "0 1 2 3 4 5 6 7 8 9 10 11 12 13 ";
        QCOMPARE(allowed, expected);
        QVERIFY(!PanelControlMap::buttonAllowed(page, 14, true));
        QVERIFY(PanelControlMap::buttonAllowed(page, 13, true));
    }
    QCOMPARE(PanelControlMap::buttonAction(1, 5, false).control, PanelControl::Adjust);
    QCOMPARE(PanelControlMap::buttonAction(1, 0, false).kind, PanelControlMap::ButtonAction::None);
}

void TestPanelControlMap::pages()
{
    QCOMPARE(PanelControlMap::nextPage(0), 1);
    QCOMPARE(PanelControlMap::nextPage(2), 3);
    QCOMPARE(PanelControlMap::nextPage(3), 0);
}

QTEST_GUILESS_MAIN(TestPanelControlMap)
#include "tst_panelcontrolmap.moc"
