#include "parametercatalogue.h"

#include <QSet>
#include <QtTest>

using PC = ParameterCatalogue;

class TestParameterCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void everyNameIsWellFormed();
    void choiceRows_data();
    void choiceRows();
    void choiceTexts_data();
    void choiceTexts();
    void everyScaledPositionRoundTrips();
    void labels_data();
    void labels();
    void storedValueToPosition_data();
    void storedValueToPosition();
    void sliderReplies_data();
    void sliderReplies();
    void switchReplies_data();
    void switchReplies();
};

void TestParameterCatalogue::names_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");

    QTest::newRow("channel 3 red gain") << 3 << 12 << "eParamID_Vid3ColorHDRGainRed";
    QTest::newRow("channel 5 falls back to row 0") << 5 << 12 << "eParamID_Vid0ColorHDRGainRed";
    QTest::newRow("channel -1 falls back to row 0") << -1 << 28 << "eParamID_Vid0ColorfrontMode";
    QTest::newRow("monitor on channel 4") << 4 << 2 << "eParamID_MonDynamicRangeAndGamutOut";
    QTest::newRow("reset slot keeps its place") << 4 << 21 << "eParamID_Vid4ColorHDRReset";
}

void TestParameterCatalogue::names()
{
    QFETCH(int, channel);
    QFETCH(int, slot);
    QFETCH(QString, name);
    QCOMPARE(QString::fromLatin1(PC::parameterName(channel, slot)), name);
}

// Every name of a channel's row carries that channel's prefix and the slot's
// suffix, and no two slots of a row share a name (a slip in the table would
// write one control's value to another's parameter).
void TestParameterCatalogue::everyNameIsWellFormed()
{
    for (int channel = 0; channel < PC::ChannelCount; ++channel) {
        QSet<QString> seen;
        for (int slot = 0; slot < PC::SlotCount; ++slot) {
            const QString name = QString::fromLatin1(PC::parameterName(channel, slot));
            const QString expected = slot == PC::MonDynRange
                ? QStringLiteral("eParamID_MonDynamicRangeAndGamutOut")
                : QStringLiteral("eParamID_Vid%1%2").arg(channel).arg(QLatin1String(PC::slot(slot).suffix));
            QCOMPARE(name, expected);
            QVERIFY(!seen.contains(name));
            seen.insert(name);
        }
    }
}

void TestParameterCatalogue::choiceRows_data()
{
    QTest::addColumn<bool>("input");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");

    QTest::newRow("3 on input") << true << "3" << 4 << "Hybrid Log Gamma BT.2100";
    QTest::newRow("3 on output") << false << "3" << 7 << "Sony SLog3 S-Gamut3";
    QTest::newRow("7 on output") << false << "7" << 5 << "HLG Extended BT.709";
    QTest::newRow("15 on input") << true << "15" << 1 << "SDR Extended BT.709";
    QTest::newRow("4 on output") << false << "4" << 8 << "Sony SLog3 BT.2020 ";
    QTest::newRow("no such value on output") << false << "15" << -1 << "";
    QTest::newRow("not a number") << true << "abc" << -1 << "";
    QTest::newRow("empty") << false << "" << -1 << "";
}

void TestParameterCatalogue::choiceRows()
{
    QFETCH(bool, input);
    QFETCH(QString, reply);
    QFETCH(int, row);
    QFETCH(QString, name);

    const DynRangeChoice *choices = input ? PC::inDynRangeChoices : PC::outDynRangeChoices;
    const int count = input ? PC::inDynRangeChoiceCount : PC::outDynRangeChoiceCount;
    QCOMPARE(count, input ? 15 : 10);
    QCOMPARE(PC::choiceRow(choices, count, reply), row);
    if (row >= 0)
        QCOMPARE(QString::fromLatin1(choices[row].name), name);
}

void TestParameterCatalogue::choiceTexts_data()
{
    QTest::addColumn<bool>("input");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");

    QTest::newRow("input row 1") << true << 1 << "15";
    QTest::newRow("output row 1") << false << 1 << "9";
    QTest::newRow("output row 5") << false << 5 << "7";
    QTest::newRow("output row 6") << false << 6 << "6";
    QTest::newRow("outside the list") << false << 10 << "";
    QTest::newRow("no row") << true << -1 << "";
}

void TestParameterCatalogue::choiceTexts()
{
    QFETCH(bool, input);
    QFETCH(int, row);
    QFETCH(QString, text);
    const DynRangeChoice *choices = input ? PC::inDynRangeChoices : PC::outDynRangeChoices;
    const int count = input ? PC::inDynRangeChoiceCount : PC::outDynRangeChoiceCount;
    QCOMPARE(PC::choiceText(choices, count, row), text);
}

// Position, shown value and unit text must agree for every position of
// every scaled slider: what the colourist sees is what the unit gets.
void TestParameterCatalogue::everyScaledPositionRoundTrips()
{
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        const PC::SlotInfo &info = PC::slot(slot);
        if (info.kind != PC::Kind::Scaled && info.kind != PC::Kind::Nits)
            continue;
        for (int position = info.minimum; position <= info.maximum; ++position) {
            const float value = info.kind == PC::Kind::Nits ? float(position) : PC::scaledValue(position);
            QCOMPARE(PC::positionOfValue(info.kind, value), position);
            QCOMPARE(PC::deviceText(position), QString::number(position));
            QCOMPARE(PC::positionFromDeviceText(PC::deviceText(position)), std::optional<int>(position));
            if (info.kind == PC::Kind::Scaled) {
                const QString label = PC::labelText(info.kind, value);
                QCOMPARE(qRound(label.toDouble() * 1000), position);
            }
        }
    }
}

void TestParameterCatalogue::labels_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");

    QTest::newRow("tint minimum") << int(PC::Tint) << -16000 << "-16.000";
    QTest::newRow("gain 1002") << int(PC::GainRed) << 1002 << "1.002";
    QTest::newRow("lift 9") << int(PC::LiftMaster) << 9 << "0.009";
    QTest::newRow("lift -250") << int(PC::LiftBlue) << -250 << "-0.250";
    QTest::newRow("PQ 48") << int(PC::PqNitLevel) << 48 << "48";
}

void TestParameterCatalogue::labels()
{
    QFETCH(int, slot);
    QFETCH(int, position);
    QFETCH(QString, label);
    const PC::Kind kind = PC::slot(slot).kind;
    const float value = kind == PC::Kind::Nits ? float(position) : PC::scaledValue(position);
    QCOMPARE(PC::labelText(kind, value), label);
}

void TestParameterCatalogue::storedValueToPosition_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("position");

    QTest::newRow("0.005") << 0.005f << 5;
    QTest::newRow("1.002") << 1.002f << 1002;
    QTest::newRow("-0.001") << -0.001f << -1;
    QTest::newRow("-16") << -16.0f << -16000;
}

void TestParameterCatalogue::storedValueToPosition()
{
    QFETCH(float, value);
    QFETCH(int, position);
    QCOMPARE(PC::positionOfValue(PC::Kind::Scaled, value), position);
}

void TestParameterCatalogue::sliderReplies_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<int>("position");

    QTest::newRow("negative") << "-250" << true << -250;
    QTest::newRow("outside every range") << "4500" << true << 4500;
    QTest::newRow("surrounding blanks") << " 12 " << true << 12;
    QTest::newRow("not a number") << "abc" << false << 0;
    QTest::newRow("number then text") << "12ab" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("beyond 32 bits") << "4294967296" << false << 0;
}

void TestParameterCatalogue::sliderReplies()
{
    QFETCH(QString, reply);
    QFETCH(bool, isNumber);
    QFETCH(int, position);
    const std::optional<int> result = PC::positionFromDeviceText(reply);
    QCOMPARE(result.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*result, position);
}

void TestParameterCatalogue::switchReplies_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<bool>("on");

    QTest::newRow("0") << "0" << true << false;
    QTest::newRow("1") << "1" << true << true;
    QTest::newRow("2") << "2" << true << true;
    QTest::newRow("00") << "00" << true << false;
    QTest::newRow("-0") << "-0" << true << false;
    QTest::newRow("+0") << "+0" << true << false;
    QTest::newRow("blank before 0") << " 0" << true << false;
    QTest::newRow("blank after 0") << "0 " << true << false;
    QTest::newRow("line end after 1") << "1\r\n" << true << true;
    QTest::newRow("-1") << "-1" << true << true;
    QTest::newRow("beyond 64 bits") << "100000000000000000000" << true << true;
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("only blanks") << "  " << false << false;
    QTest::newRow("only a sign") << "-" << false << false;
    QTest::newRow("not a number") << "on" << false << false;
    QTest::newRow("number then text") << "0x1" << false << false;
    QTest::newRow("blank inside") << "- 0" << false << false;
}

void TestParameterCatalogue::switchReplies()
{
    QFETCH(QString, reply);
    QFETCH(bool, isNumber);
    QFETCH(bool, on);
    QCOMPARE(PC::switchFromDeviceText(reply), isNumber ? std::optional<bool>(on) : std::nullopt);
    QCOMPARE(PC::switchText(on), on ? QStringLiteral("1") : QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(TestParameterCatalogue)
#include "tst_parametercatalogue.moc"
