#include "dialogfixture.h"
#include "hubserver.h"
#include "ui_hdrparameterdialog.h"

#include <QtTest>

#include <memory>

// The window driven from the control panel, through a hub stand-in on a
// free port: the panel's encoders and buttons take the same road to the
// units as the mouse, and the display follows.
class TestDialogPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void greetedProgramDrawsPage();
    void encoderMovesSliderToUnits();
    void adjustOffGuardsPages();
    void chooserSteppingCommitsToUnits();
    void doublePressResetsAll();
    void hubRestartIsTakenUpByItself();

private:
    void openWithPanel();
    // Sends a button press and waits until the program has taken the
    // page change it causes, so every earlier event has been handled too.
    void nextPage();

    std::unique_ptr<HubServer> m_hub;
    std::unique_ptr<DialogFixture> m_fixture;
};

void TestDialogPanel::init()
{
    m_hub = std::make_unique<HubServer>();
    QVERIFY(m_hub->listen(0));
    qputenv("PRISMOLINK_HUB_PORT", QByteArray::number(m_hub->port()));
    m_fixture = std::make_unique<DialogFixture>();
}

void TestDialogPanel::cleanup()
{
    m_fixture.reset();
    m_hub.reset();
}

void TestDialogPanel::openWithPanel()
{
    m_fixture->open(DialogFixture::address(0), true);
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->applicationName(), QStringLiteral("Marvendolquistraband"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->display().line(1), QStringLiteral("Master  0.000   1.000   1.000   "), 10000);
}

void TestDialogPanel::nextPage()
{
    const int page = m_fixture->dialog().currentPanelPage();
    QVERIFY(m_hub->buttonDown(12));
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->dialog().currentPanelPage(), (page + 1) % 4, 5000);
}

void TestDialogPanel::greetedProgramDrawsPage()
{
    openWithPanel();
    QCOMPARE(m_hub->display().line(0), QStringLiteral("           Lift   Gamma   Gain  "));
    QCOMPARE(m_hub->display().line(4), QStringLiteral("Blue    0.000   1.000   1.000   "));
    nextPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->display().line(2), QStringLiteral("LogLook  0.500  Adjust      On  "), 5000);
}

void TestDialogPanel::encoderMovesSliderToUnits()
{
    openWithPanel();
    HDRParameterDialog &d = m_fixture->dialog();
    m_fixture->gang({"prismo-2 "});
    m_fixture->clearRequests();

    QVERIFY(m_hub->turnEncoder(5, 60)); // red gain, a step of 50
    QTRY_COMPARE_WITH_TIMEOUT(d.form().redGainSlider->value(), 1050, 5000);
    QCOMPARE(DialogFixture::describe(m_fixture->sets()), (QStringList{"127.0.0.11 set eParamID_Vid1ColorHDRGainRed 1050",
                                                                      "127.0.0.12 set eParamID_Vid1ColorHDRGainRed 1050"}));
    QCOMPARE(d.form().redGainLabel->text(), QStringLiteral("1.050"));
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->display().line(2), QStringLiteral("Red     0.000   1.000   1.050   "), 5000);
}

void TestDialogPanel::adjustOffGuardsPages()
{
    openWithPanel();
    HDRParameterDialog &d = m_fixture->dialog();
    d.form().adjustGroupBox->setChecked(false);
    QMetaObject::invokeMethod(&d, "valueChanged", Q_ARG(int, 0));
    m_fixture->clearRequests();

    QVERIFY(m_hub->turnEncoder(0, 200));
    QVERIFY(m_hub->buttonDown(1));
    nextPage(); // page 1
    QCOMPARE(d.form().masterLiftSlider->value(), 0);
    QVERIFY(m_fixture->sets().isEmpty());

    // Page 1 lets the Adjust switch through; then its controls work.
    QVERIFY(m_hub->buttonDown(5));
    QTRY_VERIFY_WITH_TIMEOUT(d.form().adjustGroupBox->isChecked(), 5000);
    QVERIFY(m_hub->turnEncoder(0, 200));
    QTRY_COMPARE_WITH_TIMEOUT(d.form().hdrAmountSlider->value(), 1000, 5000);
    QCOMPARE(DialogFixture::describe(m_fixture->sets()), (QStringList{"127.0.0.11 set eParamID_Vid1ColorfrontMode 1",
                                                                      "127.0.0.11 set eParamID_Vid1ColorHDRAmount 1000"}));
}

void TestDialogPanel::chooserSteppingCommitsToUnits()
{
    openWithPanel();
    HDRParameterDialog &d = m_fixture->dialog();
    nextPage();
    nextPage();
    nextPage(); // the status page
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->display().line(3).trimmed(), QStringLiteral("OutDynRg SDR BT.709 100 Nits"), 5000);
    m_fixture->clearRequests();

    for (int turn = 0; turn < 6; ++turn)
        QVERIFY(m_hub->turnEncoder(9, 20));
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->display().line(3), QStringLiteral("**OutDynRg  SDR Extended BT.709 "), 5000);
    QCOMPARE(d.form().outDynRangeGamutChoiceComboBox->currentIndex(), 0);
    QVERIFY(m_fixture->sets().isEmpty());

    QVERIFY(m_hub->buttonDown(9));
    QTRY_COMPARE_WITH_TIMEOUT(d.form().outDynRangeGamutChoiceComboBox->currentIndex(), 1, 5000);
    QCOMPARE(DialogFixture::describe(m_fixture->sets()),
             QStringList{"127.0.0.11 set eParamID_Vid1DynamicRangeAndGamutOut 9"});
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->display().line(3).trimmed(), QStringLiteral("OutDynRg SDR Extended BT.709"), 5000);
}

void TestDialogPanel::doublePressResetsAll()
{
    openWithPanel();
    HDRParameterDialog &d = m_fixture->dialog();
    d.form().masterGainSlider->setValue(2500);
    d.form().tintSlider->setValue(-300);
    m_fixture->clearRequests();

    QVERIFY(m_hub->buttonDown(13));
    QVERIFY(m_hub->buttonDown(13));
    QTRY_COMPARE_WITH_TIMEOUT(d.form().masterGainSlider->value(), 1000, 5000);
    QCOMPARE(d.form().tintSlider->value(), 0);
    QCOMPARE(DialogFixture::describe(m_fixture->sets()), (QStringList{"127.0.0.11 set eParamID_Vid1ColorHDRGainMaster 1000",
                                                                      "127.0.0.11 set eParamID_Vid1ColorHDRTint 0"}));
}

// The hub stops and starts again: the program finds it by itself, announces
// itself and draws the current page with the current values.
void TestDialogPanel::hubRestartIsTakenUpByItself()
{
    openWithPanel();
    HDRParameterDialog &d = m_fixture->dialog();
    const quint16 port = m_hub->port();
    m_hub.reset();
    d.form().blueLiftSlider->setValue(-125);

    m_hub = std::make_unique<HubServer>();
    QVERIFY(m_hub->listen(port));
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->applicationName(), QStringLiteral("Marvendolquistraband"), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->display().line(4), QStringLiteral("Blue    -0.125  1.000   1.000   "), 10000);
    QVERIFY(m_hub->turnEncoder(9, 20));
    QTRY_COMPARE_WITH_TIMEOUT(d.form().blueLiftSlider->value(), -124, 5000);
}

QTEST_MAIN(TestDialogPanel)
#include "tst_dialogpanel.moc"
