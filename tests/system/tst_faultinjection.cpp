#include "dialogfixture.h"
#include "hdrcontroller.h"
#include "hubserver.h"
#include "parametercatalogue.h"
#include "stallprobe.h"
#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"
#include "unitchooser.h"

#include <QAbstractSlider>
#include <QtTest>

#include <memory>

using PC = ParameterCatalogue;

namespace {
// A unit's faults are those its simulator is told to have.
enum class Fault { Unit, Restart, CurrentOff, GangedOff, HubDrop, HubStopped };

// The parameters this test adjusts, on the first channel of a four-channel unit.
QByteArray name(int slot)
{
    return PC::parameterName(1, slot);
}

// Every request waits on a unit's own thread: the window's thread never
// does. Waiting on a unit would stand the event loop still for a whole
// reply time-out; a busy machine, for a few hundred milliseconds at most.
// (The benchmark holds the event loop to far less under the same faults.)
constexpr int LongestStallMs = TAVIRESTConfigControl::ReplyTimeoutMs;
// Long enough for the longest back-off of a link (8 s) and the hold after a change.
constexpr int RecoveryMs = 20000;
} // namespace

Q_DECLARE_METATYPE(Fault)

// The whole window, with the panel on a hub stand-in, while units and hub
// misbehave: it must stay alive and responsive, take up again by itself once
// the fault is gone, and never write a value that nobody set.
class TestFaultInjection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void faultMatrix_data();
    void faultMatrix();

private:
    // Values the test caused, per parameter: the only ones a unit may receive.
    void cause(int slot, const QString &value) { m_caused[name(slot)] << value; }
    // Turns the red gain encoder one step and waits for the slider to move.
    void turnRedGain();
    // A colourist at work: sliders and a chooser moved, read-backs, and the
    // panel's encoder when the hub is there.
    void keepBusy(int rounds);
    void startFault(Fault fault, const QString &unitFaults);
    void liftFault(Fault fault);

    std::unique_ptr<HubServer> m_hub;
    quint16 m_hubPort = 0;
    std::unique_ptr<DialogFixture> m_fixture;
    QHash<QByteArray, QSet<QString>> m_caused;
    int m_step = 0;
};

void TestFaultInjection::init()
{
    m_hub = std::make_unique<HubServer>();
    QVERIFY(m_hub->listen(0));
    m_hubPort = m_hub->port();
    m_fixture = std::make_unique<DialogFixture>();
    m_caused.clear();
    m_step = 0;
}

void TestFaultInjection::cleanup()
{
    m_fixture.reset();
    m_hub.reset();
}

void TestFaultInjection::turnRedGain()
{
    QAbstractSlider *gain = m_fixture->dialog().slider(PC::GainRed);
    const int before = gain->value();
    cause(PC::GainRed, QString::number(before + 50));
    QVERIFY(m_hub->turnEncoder(5, 60)); // a step of 50
    QTRY_COMPARE_WITH_TIMEOUT(gain->value(), before + 50, 5000);
}

void TestFaultInjection::keepBusy(int rounds)
{
    HDRParameterDialog &d = m_fixture->dialog();
    const Ui::HDRParameterDialog &form = d.form();
    for (int round = 0; round < rounds; ++round) {
        ++m_step;
        const int lift = -400 + 37 * m_step;
        cause(PC::LiftMaster, QString::number(lift));
        d.slider(PC::LiftMaster)->setValue(lift);
        const int row = m_step % 2;
        cause(PC::OutDynRange, QString::fromLatin1(PC::wireText(PC::OutDynRange, row)));
        form.outDynRangeGamutChoiceComboBox->setCurrentIndex(row);
        if (m_hub && m_hub->hasClient())
            turnRedGain();
        if (QTest::currentTestFailed())
            return;
        m_fixture->dialog().controller().refreshNow();
        QTest::qWait(50); // a colourist's pace, not an assertion
    }
}

void TestFaultInjection::startFault(Fault fault, const QString &unitFaults)
{
    SimulatorRig &rig = m_fixture->rig();
    switch (fault) {
    case Fault::Unit: m_fixture->setFaults(0, unitFaults); break;
    case Fault::Restart:
        rig.switchOff(0);
        QVERIFY(rig.switchOn(0));
        break;
    case Fault::CurrentOff: rig.switchOff(0); break;
    case Fault::GangedOff: rig.switchOff(1); break;
    case Fault::HubDrop: m_hub->dropClient(); break;
    case Fault::HubStopped: m_hub.reset(); break;
    }
}

void TestFaultInjection::liftFault(Fault fault)
{
    switch (fault) {
    case Fault::Restart:
    case Fault::HubDrop:
        break;
    case Fault::CurrentOff: QVERIFY(m_fixture->rig().switchOn(0)); break;
    case Fault::GangedOff: QVERIFY(m_fixture->rig().switchOn(1)); break;
    case Fault::HubStopped:
        m_hub = std::make_unique<HubServer>();
        QVERIFY(m_hub->listen(m_hubPort));
        break;
    case Fault::Unit: m_fixture->setFaults(0, QStringLiteral("none")); break;
    }
}

void TestFaultInjection::faultMatrix_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("unitFaults");
    QTest::newRow("unit stalls") << Fault::Unit << "stall";
    QTest::newRow("drop mid-reply") << Fault::Unit << "cut";
    QTest::newRow("every third request dropped") << Fault::Unit << "drop=3";
    QTest::newRow("unit restarts") << Fault::Restart << QString();
    QTest::newRow("500 for one parameter") << Fault::Unit << "fail=" + QString::fromLatin1(name(PC::LiftMaster));
    QTest::newRow("garbage") << Fault::Unit << "garbage";
    QTest::newRow("oversize body") << Fault::Unit << "oversize";
    QTest::newRow("current unit off and on") << Fault::CurrentOff << QString();
    QTest::newRow("ganged unit off and on") << Fault::GangedOff << QString();
    QTest::newRow("hub drops the connection") << Fault::HubDrop << QString();
    QTest::newRow("hub stopped and started") << Fault::HubStopped << QString();
}

void TestFaultInjection::faultMatrix()
{
    QFETCH(Fault, fault);
    QFETCH(QString, unitFaults);
    SimulatorRig &rig = m_fixture->rig();
    // Values of their own at both units, so a write of a default or of a
    // value left from before stands out. The window takes them over.
    const QList<QPair<int, QByteArray>> start = {{PC::LiftMaster, "123"}, {PC::GainRed, "1111"}, {PC::Tint, "321"},
                                                 {PC::GainMaster, "1500"}, {PC::OutDynRange, "9"}};
    for (const auto &[slot, value] : start) {
        for (int unit : {0, 1})
            QVERIFY(rig.setParameter(unit, name(slot), value));
        // The window may follow the current unit's own value and pass it on.
        cause(slot, QString::fromLatin1(value));
    }
    HDRParameterDialog &d = m_fixture->open(DialogFixture::address(0), m_hubPort);
    QTRY_COMPARE_WITH_TIMEOUT(d.slider(PC::GainRed)->value(), 1111, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(m_hub->hasClient(), 10000);
    m_fixture->gang({"prismo-2 "});
    QCOMPARE(d.controller().units().gangSize(), 1);
    m_fixture->clearRequests();

    const StallProbe probe;
    startFault(fault, unitFaults);
    keepBusy(5);
    liftFault(fault);
    if (QTest::currentTestFailed())
        return;

    // The read-back follows a value changed at the unit, with no one touching the window.
    rig.setParameter(0, name(PC::Tint), "-777");
    cause(PC::Tint, QStringLiteral("-777"));
    QTRY_COMPARE_WITH_TIMEOUT(d.slider(PC::Tint)->value(), -777, RecoveryMs);

    // The hub is taken up again and the panel's encoder reaches both units
    // and the display.
    QTRY_VERIFY_WITH_TIMEOUT(m_hub->hasClient(), RecoveryMs);
    turnRedGain();
    if (QTest::currentTestFailed())
        return;
    const QByteArray gain = QByteArray::number(d.slider(PC::GainRed)->value());
    QTRY_COMPARE_WITH_TIMEOUT(rig.parameter(0, name(PC::GainRed)), std::optional<QByteArray>(gain), RecoveryMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_hub->display().line(2).contains(d.valueLabel(PC::GainRed)->text()), RecoveryMs);

    // The ganged unit has caught up with the current unit: nothing it missed is lost.
    for (const auto &entry : start)
        QTRY_COMPARE_WITH_TIMEOUT(rig.parameter(1, name(entry.first)), rig.parameter(0, name(entry.first)), RecoveryMs);

    const qint64 longest = probe.longestGapMs();
    qInfo("longest stall of the event loop: %lld ms", longest);
    QVERIFY2(longest < LongestStallMs, qPrintable(QStringLiteral("%1 ms").arg(longest)));

    // No unit received a value that the test did not cause.
    for (const QString &set : m_fixture->sets())
        QVERIFY2(m_caused.value(set.section(' ', 1, 1).toLatin1()).contains(set.section(' ', 2)), qPrintable(set));
}

QTEST_MAIN(TestFaultInjection)
#include "tst_faultinjection.moc"
