#include "panellayout.h"
#include "parametercatalogue.h"

#include <QSet>
#include <QtTest>

using PC = ParameterCatalogue;

class TestParameterCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void names();
    void panelControlsAreNotShared();
    void everyValueRoundTrips();
    void wireForms_data();
    void wireForms();
    void replies_data();
    void replies();
};

namespace {
constexpr int NoValue = INT_MIN;

bool bound(int slot)
{
    return PC::slot(slot).kind != PC::Kind::Unbound;
}
} // namespace

// Each channel's row names every slot once, by the channel's prefix (a slip
// would write one control's value to another's parameter); the monitor
// range is one parameter for all; a channel outside 0 to 4 takes row 0.
void TestParameterCatalogue::names()
{
    QCOMPARE(PC::parameterName(3, PC::GainRed), "eParamID_Vid3ColorHDRGainRed");
    QCOMPARE(PC::parameterName(4, PC::MonDynRange), "eParamID_MonDynamicRangeAndGamutOut");
    QCOMPARE(PC::parameterName(5, PC::GainRed), "eParamID_Vid0ColorHDRGainRed");
    QCOMPARE(PC::parameterName(-1, PC::ColorfrontMode), "eParamID_Vid0ColorfrontMode");
    QSet<QByteArray> seen;
    for (int channel = 0; channel < PC::ChannelCount; ++channel) {
        for (int slot = 0; slot < PC::SlotCount; ++slot) {
            const QByteArray name = PC::parameterName(channel, slot);
            QVERIFY2(slot == PC::MonDynRange || name.startsWith("eParamID_Vid" + QByteArray::number(channel)), name);
            QVERIFY2(!seen.contains(name) || slot == PC::MonDynRange, name);
            seen.insert(name);
        }
    }
}

// No two parameters or choosers share a panel control. (Their display cells
// show in the panel's page layouts, drawn whole.)
void TestParameterCatalogue::panelControlsAreNotShared()
{
    QSet<QString> controls;
    const auto fresh = [&controls](const QString &key) {
        const bool known = controls.contains(key);
        controls << key;
        return !known;
    };
    QSet<int> choosers;
    for (const ChooserRow &row : ParameterTable::chooserRows) {
        QVERIFY(row.control >= 0 && row.control < int(PanelLayout::ControlCount));
        QVERIFY2(fresh(QStringLiteral("3/%1").arg(row.control)), row.stepFormat);
        if (row.slot >= 0) {
            QCOMPARE(PC::slot(row.slot).kind, PC::Kind::Choice);
            choosers << row.slot;
        }
    }
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        const PC::PanelPlace &p = PC::slot(slot).panel;
        if (!bound(slot) || choosers.contains(slot) || p.page < 0)
            continue;
        QVERIFY2(p.page < PanelLayout::StatusPage, PC::slot(slot).suffix);
        QVERIFY(p.control >= 0 && p.control < int(PanelLayout::ControlCount));
        const QString control = QStringLiteral("%1/%2").arg(p.page).arg(p.control);
        QVERIFY2(fresh(control), qPrintable(control));
    }
}

// What the colourist sees is what the unit gets, and what it answers is read
// back as the same value.
void TestParameterCatalogue::everyValueRoundTrips()
{
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        const PC::SlotInfo &info = PC::slot(slot);
        if (!bound(slot))
            continue;
        for (int value = info.minimum; value <= info.maximum; ++value) {
            const QByteArray text = PC::wireText(slot, value);
            QVERIFY2(PC::fromWire(slot, text) == std::optional<int>(value), info.suffix);
            if (info.kind == PC::Kind::Scaled)
                QVERIFY2(qRound(PC::labelText(slot, value).toDouble() * 1000) == value, info.suffix);
        }
    }
}

void TestParameterCatalogue::wireForms_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("label");

    QTest::newRow("lift -250") << int(PC::LiftBlue) << -250 << QByteArray("-250") << "-0.250";
    QTest::newRow("PQ 48") << int(PC::PqNitLevel) << 48 << QByteArray("48") << "48";
    QTest::newRow("switch on") << int(PC::P3Clamp) << 1 << QByteArray("1") << "";
    QTest::newRow("switch off") << int(PC::SdrPreview) << 0 << QByteArray("0") << "";
    QTest::newRow("input row 1") << int(PC::InDynRange) << 1 << QByteArray("15") << "";
    QTest::newRow("monitor row 3") << int(PC::MonDynRange) << 3 << QByteArray("10") << "";
    QTest::newRow("output row outside the list") << int(PC::OutDynRange) << 10 << QByteArray() << "";
}

void TestParameterCatalogue::wireForms()
{
    QFETCH(int, slot);
    QFETCH(int, value);
    QFETCH(QByteArray, wire);
    QFETCH(QString, label);
    QCOMPARE(PC::wireText(slot, value), wire);
    if (!label.isEmpty())
        QCOMPARE(PC::labelText(slot, value), label);
}

void TestParameterCatalogue::replies_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("value");

    // A switch: any number, zero off and the rest on; no number, no value.
    const struct { const char *reply; int value; } switches[] = {
        {"0", 0}, {"00", 0}, {"-0", 0}, {"+0", 0}, {" 0", 0}, {"0 ", 0}, {"1", 1}, {"2", 1}, {"-1", 1},
        {"1\r\n", 1}, {"4294967296", 1}, {"100000000000000000000", 1}, {"", NoValue}, {"  ", NoValue},
        {"-", NoValue}, {"on", NoValue}, {"0x1", NoValue}, {"- 0", NoValue},
    };
    for (const auto &s : switches)
        QTest::addRow("switch \"%s\"", QByteArray(s.reply).toPercentEncoding(" +-").constData())
            << int(PC::ColorfrontMode) << QByteArray(s.reply) << s.value;
    // A slider: a decimal integer within 32 bits, kept as it is (the range is the caller's).
    const struct { const char *reply; int value; } sliders[] = {
        {"-250", -250}, {"4500", 4500}, {" 12 ", 12}, {"abc", NoValue}, {"12ab", NoValue}, {"", NoValue},
        {"1.5", NoValue}, {"0x10", NoValue}, {"4294967296", NoValue},
    };
    for (const auto &s : sliders)
        QTest::addRow("slider \"%s\"", s.reply) << int(PC::GainGreen) << QByteArray(s.reply) << s.value;
    // A chooser: the row whose number the reply is (every row reads back in the round trip).
    QTest::newRow("15 on input") << int(PC::InDynRange) << QByteArray(" 15") << 1;
    QTest::newRow("15 not on output") << int(PC::OutDynRange) << QByteArray("15") << NoValue;
    QTest::newRow("chooser, not a number") << int(PC::InDynRange) << QByteArray("abc") << NoValue;
    QTest::newRow("chooser, empty") << int(PC::OutDynRange) << QByteArray() << NoValue;
}

void TestParameterCatalogue::replies()
{
    QFETCH(int, slot);
    QFETCH(QByteArray, reply);
    QFETCH(int, value);
    QCOMPARE(PC::fromWire(slot, reply), value == NoValue ? std::nullopt : std::optional<int>(value));
}

QTEST_GUILESS_MAIN(TestParameterCatalogue)
#include "tst_parametercatalogue.moc"
