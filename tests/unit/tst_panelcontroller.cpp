#include "fakeunits.h"
#include "hdrcontroller.h"
#include "panelcontroller.h"
#include "recordingsink.h"

#include <QtTest>

using PC = ParameterCatalogue;

namespace {
constexpr int Settle = 10000;

struct Panel
{
    Panel() : controller(units.transports()), panel(controller, &screen)
    {
        controller.start(FakeUnits::address(0), {FakeUnits::hostName(1)});
        settled();
        panel.showPage();
    }
    void settled() { QVERIFY(QTest::qWaitFor([this] { return controller.isSettled(); }, Settle)); }
    void toPage(int page)
    {
        while (panel.page() != page)
            panel.buttonDown(12);
    }
    QByteArray unit(int unit, int slot) const { return units.value(unit, PC::parameterName(1, slot)); }
    void set(int slot, int value) { controller.submit(Input::of(Input::Kind::Set, controller.current(), slot, value)); }

    FakeUnits units;
    RecordingSink screen;
    HdrController controller;
    PanelController panel;
};
} // namespace

// The panel's encoders and buttons act on the controller like the window's
// controls, and the display shows each page and every change.
class TestPanelController : public QObject
{
    Q_OBJECT

private slots:
    void pagesShowNamesAndValues();
    void encodersMoveParameters();
    void buttonsResetAndToggle();
    void chooserSteppingCommits();
};

// Each page shows the controller's names and values (the page layouts
// themselves are the display's); a change sends the cell of its page only.
void TestPanelController::pagesShowNamesAndValues()
{
    Panel p;
    p.toPage(3);
    QCOMPARE(p.screen.lines.mid(0, 2), (QStringList{"Prismo 1       version 1.4.2.7  ", "Video 1                         "}));
    p.panel.buttonDown(12);
    QCOMPARE(p.panel.page(), 0);
    const int writes = p.screen.writes.size();
    p.set(PC::Exposure, 1500);
    QCOMPARE(p.screen.writes.size(), writes);
    p.set(PC::GainRed, 1250);
    QCOMPARE(p.screen.writes.size(), writes + 1);
    QCOMPARE(p.screen.lines[2], QStringLiteral("Red     0.000   1.000   1.250   "));
}

// Encoders move the controller's parameters (how turns add up is the
// accumulator's, that they reach the units the fault matrix's); with Adjust
// off page 0 is dead.
void TestPanelController::encodersMoveParameters()
{
    Panel p;
    p.panel.encoder(5, -90); // red gain, a step of -500
    QCOMPARE(p.controller.value(PC::GainRed), 500);
    p.set(PC::ColorfrontMode, 0);
    p.panel.encoder(5, 90);
    QCOMPARE(p.controller.value(PC::GainRed), 500);
}

// A button resets its own parameter, a double press of the reset button
// every parameter, and a switch's button toggles it.
void TestPanelController::buttonsResetAndToggle()
{
    Panel p;
    p.set(PC::GainBlue, 3000);
    p.set(PC::Tint, -900);
    p.panel.buttonDown(11);
    QCOMPARE(p.controller.value(PC::GainBlue), 1000);
    p.panel.buttonDown(13);
    QCOMPARE(p.controller.value(PC::Tint), -900);
    p.panel.buttonDown(13);
    QCOMPARE(p.controller.value(PC::Tint), 0);
    p.toPage(1);
    p.panel.buttonDown(2);
    QCOMPARE(p.controller.value(PC::SdrPreview), 1);
    QCOMPARE(p.screen.lines[0], QStringLiteral("HDRAmoun 0.000  SDR Preview On  "));
}

// The status page steps a chooser on the display alone until its button
// commits it to the controller.
void TestPanelController::chooserSteppingCommits()
{
    Panel p;
    p.toPage(3);
    p.panel.encoder(9, 20); // starts stepping the output range
    p.panel.encoder(9, 100);
    QCOMPARE(p.screen.lines[3], QStringLiteral("**OutDynRg  SDR Extended BT.709 "));
    QCOMPARE(p.controller.value(PC::OutDynRange), 0);
    p.panel.buttonDown(9);
    QCOMPARE(p.controller.value(PC::OutDynRange), 1);
    QCOMPARE(p.screen.lines[3], QStringLiteral("OutDynRg SDR Extended BT.709    "));
    p.settled();
    QCOMPARE(p.unit(1, PC::OutDynRange), QByteArray("9"));

    p.panel.encoder(3, 20); // the channel, down from the first to the last
    p.panel.encoder(3, -100);
    p.panel.buttonDown(3);
    QCOMPARE(p.controller.current().channel, 4);
    p.panel.encoder(0, 20); // the device chooser makes another unit current
    p.panel.encoder(0, 100);
    p.panel.buttonDown(0);
    p.settled();
    QCOMPARE(p.controller.current().unit, FakeUnits::address(1));
}

QTEST_GUILESS_MAIN(TestPanelController)
#include "tst_panelcontroller.moc"
