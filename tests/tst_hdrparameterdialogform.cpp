#include "hdrparameterdialog.h"
#include "tavicombobox.h"
#include "tavislider.h"
#include "ui_hdrparameterdialog.h"

#include <QApplication>
#include <QStandardPaths>
#include <QtTest>

// The main window's form, built on a bare dialog so that nothing but the
// form is under test.
class TestHDRParameterDialogForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void window();
    void topArea_data();
    void topArea();
    void sliders_data();
    void sliders();
    void customClasses();
    void adjustGroupBox();
    void focusOrder();
    void resizingMovesNothing();
    void mainWindowBuildsTheForm();

private:
    QWidget *widget(const QString &name) const { return m_dialog->findChild<QWidget *>(name); }

    std::unique_ptr<QDialog> m_dialog;
    Ui::HDRParameterDialog m_ui;
};

void TestHDRParameterDialogForm::initTestCase()
{
    // The main window keeps its settings; keep a test run away from the user's.
    QStandardPaths::setTestModeEnabled(true);
}

void TestHDRParameterDialogForm::init()
{
    m_dialog = std::make_unique<QDialog>();
    m_ui.setupUi(m_dialog.get());
}

void TestHDRParameterDialogForm::cleanup()
{
    m_dialog.reset();
}

void TestHDRParameterDialogForm::window()
{
    QCOMPARE(m_dialog->objectName(), QStringLiteral("HDRParameterDialog"));
    QCOMPARE(m_dialog->size(), QSize(451, 944));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("ParametricLut1"));
    QCOMPARE(m_dialog->font().pointSize(), 8);
    QVERIFY(!m_dialog->layout());
}

void TestHDRParameterDialogForm::topArea_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("ipAddressLineEdit") << "ipAddressLineEdit" << QRect(203, 10, 195, 20) << "";
    QTest::newRow("label_19") << "label_19" << QRect(44, 10, 131, 16) << "Prismo IP Address";
    QTest::newRow("currentPrismoLabel") << "currentPrismoLabel" << QRect(44, 40, 151, 20) << "Current Prismo";
    QTest::newRow("currentPrismoChoiceComboBox") << "currentPrismoChoiceComboBox" << QRect(203, 40, 195, 20) << "";
    QTest::newRow("label_22") << "label_22" << QRect(44, 70, 131, 20) << "Channel";
    QTest::newRow("currentChannelComboBox") << "currentChannelComboBox" << QRect(203, 70, 195, 20) << "";
    QTest::newRow("resetButton") << "resetButton" << QRect(300, 188, 141, 21) << "Reset Slider Controls";
    QTest::newRow("monDynRangeGamutChoiceComboBox") << "monDynRangeGamutChoiceComboBox" << QRect(203, 160, 195, 20) << "";
    QTest::newRow("clampCheckBox") << "clampCheckBox" << QRect(200, 190, 101, 17) << "SDR Preview";
    QTest::newRow("inDynRangeGamutChoiceComboBox") << "inDynRangeGamutChoiceComboBox" << QRect(203, 100, 195, 20) << "";
    QTest::newRow("label_12") << "label_12" << QRect(43, 100, 131, 20) << "In DynRange&Gamut";
    QTest::newRow("outDynRangeGamutChoiceComboBox") << "outDynRangeGamutChoiceComboBox" << QRect(203, 130, 195, 20) << "";
    QTest::newRow("label_23") << "label_23" << QRect(43, 160, 131, 20) << "Mon DynRange&Gamut";
    QTest::newRow("adjustGroupBox") << "adjustGroupBox" << QRect(20, 214, 411, 721) << "Adjust";
    QTest::newRow("label_13") << "label_13" << QRect(43, 130, 131, 20) << "Out DynRange&Gamut";
    QTest::newRow("clampP3CheckBox") << "clampP3CheckBox" << QRect(30, 657, 211, 20) << "P3 ColorSpace Clamp";
}

void TestHDRParameterDialogForm::topArea()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    QWidget *w = widget(name);
    QVERIFY(w);
    QWidget *parent = name == QLatin1String("clampP3CheckBox") ? static_cast<QWidget *>(m_ui.adjustGroupBox) : m_dialog.get();
    QCOMPARE(w->parentWidget(), parent);
    QCOMPARE(w->geometry(), geometry);
    QString shown;
    if (auto *label = qobject_cast<QLabel *>(w))
        shown = label->text();
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        shown = button->text();
    else if (auto *group = qobject_cast<QGroupBox *>(w))
        shown = group->title();
    else if (auto *edit = qobject_cast<QLineEdit *>(w))
        shown = edit->text();
    else if (auto *combo = qobject_cast<QComboBox *>(w))
        shown = combo->currentText();
    QCOMPARE(shown, text);
}

void TestHDRParameterDialogForm::sliders_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("nameLabel");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("valueLabel");
    QTest::addColumn<QString>("valueText");

    const auto row = [](const char *slider, int y, int minimum, int maximum, int value, const char *nameLabel,
                        const char *name, const char *valueLabel, const char *valueText) {
        QTest::newRow(slider) << slider << y << minimum << maximum << value << nameLabel << name << valueLabel
                              << valueText;
    };
    row("hdrAmountSlider", 30, -1000, 1000, 0, "label_17", "HDR Amount", "hdrAmountLabel", "0.000");
    row("hdrRangeSlider", 57, -1000, 1000, 0, "label_18", "Amb Light Comp", "hdrRangeLabel", "0.000");
    row("lookSlider", 87, 0, 1000, 500, "label_20", "HDR Log Look", "lookLabel", "0.500");
    row("sdrSoftnessSlider", 117, 0, 1000, 0, "label_16", "SDR Softness", "sdrSoftnessLabel", "0.000");
    row("masterLiftSlider", 147, -1000, 1000, 0, "label", "Master Lift", "masterLiftLabel", "0.000");
    row("redLiftSlider", 177, -1000, 1000, 0, "label_2", "Red Lift", "redLiftLabel", "0.000");
    row("greenLiftSlider", 207, -1000, 1000, 0, "label_3", "Green Lift", "greenLiftLabel", "0.000");
    row("blueLiftSlider", 237, -1000, 1000, 0, "label_4", "Blue Lift", "blueLiftLabel", "0.000");
    row("masterGammaSlider", 267, 0, 2000, 1000, "label_14", "Master Gamma", "masterGammaLabel", "1.000");
    row("redGammaSlider", 297, 0, 2000, 1000, "label_11", "Red Gamma", "redGammaLabel", "1.000");
    row("greenGammaSlider", 327, 0, 2000, 1000, "label_10", "Green Gamma", "greenGammaLabel", "1.000");
    row("blueGammaSlider", 357, 0, 2000, 1000, "label_9", "Blue Gamma", "blueGammaLabel", "1.000");
    row("masterGainSlider", 387, 0, 5000, 1000, "label_5", "Master Gain", "masterGainLabel", "1.000");
    row("redGainSlider", 417, 0, 5000, 1000, "label_6", "Red Gain", "redGainLabel", "1.000");
    row("greenGainSlider", 447, 0, 5000, 1000, "label_7", "Green Gain", "greenGainLabel", "1.000");
    row("blueGainSlider", 477, 0, 5000, 1000, "label_8", "Blue Gain", "blueGainLabel", "1.000");
    row("saturationSlider", 507, 0, 2000, 1000, "label_15", "Saturation", "saturationLabel", "1.000");
    row("exposureSlider", 537, -4000, 4000, 0, "label_26", "Exposure", "exposureLabel", "0.000");
    row("colorTempSlider", 567, -10000, 10000, 0, "label_25", "Color Temp", "colorTempLabel", "0.000");
    row("tintSlider", 597, -16000, 16000, 0, "label_24", "Tint", "tintLabel", "0.000");
    // The nit level is shown as a whole number, like every later update of it.
    row("pqoutnitLevelSlider", 627, 48, 4000, 1000, "label_28", "PQ Output Nit Level", "pqoutnitLevelLabel", "1000");
    row("bt2408Slider", 687, 0, 1000, 0, "label_27", "BT.2408 Mode", "bt2408Label", "0.000");
}

void TestHDRParameterDialogForm::sliders()
{
    QFETCH(QString, slider);
    QFETCH(int, y);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(QString, nameLabel);
    QFETCH(QString, name);
    QFETCH(QString, valueLabel);
    QFETCH(QString, valueText);

    auto *s = m_dialog->findChild<QSlider *>(slider);
    QVERIFY(s);
    QCOMPARE(s->parentWidget(), m_ui.adjustGroupBox);
    QCOMPARE(s->geometry(), QRect(140, y, 211, 20));
    QCOMPARE(s->orientation(), Qt::Horizontal);
    QCOMPARE(s->minimum(), minimum);
    QCOMPARE(s->maximum(), maximum);
    QCOMPARE(s->value(), value);
    QCOMPARE(s->singleStep(), 1);
    QCOMPARE(s->pageStep(), 100);
    QCOMPARE(s->tickPosition(), QSlider::NoTicks);

    auto *label = m_dialog->findChild<QLabel *>(nameLabel);
    QVERIFY(label);
    QCOMPARE(label->parentWidget(), m_ui.adjustGroupBox);
    QCOMPARE(label->text(), name);
    QCOMPARE(label->geometry().topLeft(), QPoint(30, y));
    QCOMPARE(label->height(), 16);
    // The name stays clear of the slider.
    QVERIFY(label->geometry().right() < s->geometry().left());

    auto *shown = m_dialog->findChild<QLabel *>(valueLabel);
    QVERIFY(shown);
    QCOMPARE(shown->parentWidget(), m_ui.adjustGroupBox);
    QCOMPARE(shown->geometry(), QRect(360, y, 47, 13));
    QCOMPARE(shown->text(), valueText);
}

void TestHDRParameterDialogForm::customClasses()
{
    const QList<QComboBox *> choosers = {m_ui.currentPrismoChoiceComboBox, m_ui.currentChannelComboBox,
                                         m_ui.inDynRangeGamutChoiceComboBox, m_ui.outDynRangeGamutChoiceComboBox,
                                         m_ui.monDynRangeGamutChoiceComboBox};
    for (QComboBox *chooser : choosers)
        QVERIFY2(qobject_cast<TaviComboBox *>(chooser), qPrintable(chooser->objectName()));
    QCOMPARE(m_dialog->findChildren<QComboBox *>().size(), 5);

    const QList<QSlider *> sliders = m_dialog->findChildren<QSlider *>();
    QCOMPARE(sliders.size(), 22);
    for (QSlider *slider : sliders) {
        auto *tavi = qobject_cast<TaviSlider *>(slider);
        QCOMPARE(tavi != nullptr, slider == m_ui.lookSlider);
    }
    QVERIFY(!m_ui.lookSlider->jumpsToClick());
    QVERIFY(m_ui.currentPrismoChoiceComboBox->toolTip().isEmpty());
}

void TestHDRParameterDialogForm::adjustGroupBox()
{
    QGroupBox *group = m_ui.adjustGroupBox;
    QVERIFY(group->isEnabled());
    QVERIFY(group->isCheckable());
    QVERIFY(group->isChecked());
    QVERIFY(!group->isFlat());
    QCOMPARE(group->font().pointSize(), 8);
    QCOMPARE(group->font().weight(), int(QFont::Normal));
    QCOMPARE(group->toolTipDuration(), 4);
    QVERIFY(group->statusTip().isEmpty());
}

void TestHDRParameterDialogForm::focusOrder()
{
    const QStringList expected = {
        "ipAddressLineEdit", "resetButton", "clampCheckBox", "adjustGroupBox", "blueGainSlider", "redGainSlider",
        "masterLiftSlider", "masterGainSlider", "blueGammaSlider", "redGammaSlider", "redLiftSlider",
        "greenGainSlider", "hdrAmountSlider", "greenLiftSlider", "hdrRangeSlider", "masterGammaSlider",
        "blueLiftSlider", "greenGammaSlider", "saturationSlider", "lookSlider", "sdrSoftnessSlider",
        "colorTempSlider", "bt2408Slider", "tintSlider", "exposureSlider", "pqoutnitLevelSlider", "clampP3CheckBox",
    };

    m_dialog->show();
    QApplication::setActiveWindow(m_dialog.get());
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    m_ui.ipAddressLineEdit->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget *>(m_ui.ipAddressLineEdit), 5000);

    QStringList visited;
    for (int i = 0; i < expected.size() + 1; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        visited << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(visited.mid(0, expected.size()), expected);
    // Round again to the start: labels and choosers never take the focus.
    QCOMPARE(visited.last(), expected.first());
}

void TestHDRParameterDialogForm::resizingMovesNothing()
{
    QHash<QWidget *, QRect> before;
    for (QWidget *w : m_dialog->findChildren<QWidget *>())
        before.insert(w, w->geometry());
    m_dialog->show();
    m_dialog->resize(900, 1200);
    QTRY_COMPARE_WITH_TIMEOUT(m_dialog->size(), QSize(900, 1200), 5000);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(it.key()->geometry() == it.value(), qPrintable(it.key()->objectName()));
}

void TestHDRParameterDialogForm::mainWindowBuildsTheForm()
{
    HDRParameterDialog window(false, QStringLiteral("1.0"));
    const Ui::HDRParameterDialog &form = window.form();
    QCOMPARE(form.adjustGroupBox->parentWidget(), &window);
    QCOMPARE(form.lookSlider->parentWidget(), form.adjustGroupBox);
    QCOMPARE(window.findChild<QSlider *>(QStringLiteral("tintSlider")), form.tintSlider);
    QCOMPARE(window.size(), QSize(451, 944));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

QTEST_MAIN(TestHDRParameterDialogForm)
#include "tst_hdrparameterdialogform.moc"
