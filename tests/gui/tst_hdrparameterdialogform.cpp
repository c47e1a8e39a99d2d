#include "hdrparameterdialog.h"
#include "tavicombobox.h"
#include "tavislider.h"
#include "ui_hdrparameterdialog.h"

#include <QApplication>
#include <QStandardPaths>
#include <QtTest>

// The main window's form, built on a bare dialog so that nothing but the
// form is under test. A few representative widgets stand for the rest.
class TestHDRParameterDialogForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void window();
    void widgets_data();
    void widgets();
    void sliders_data();
    void sliders();
    void valueLabelsShowStartValues();
    void customClasses();
    void focusOrder();
    void resizingMovesNothing();
    void mainWindowBuildsTheForm();

private:
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
    QCOMPARE(m_dialog->size(), QSize(451, 944));
    QVERIFY(!m_dialog->layout());
    QVERIFY(m_ui.adjustGroupBox->isCheckable());
    QVERIFY(m_ui.adjustGroupBox->isChecked());
}

void TestHDRParameterDialogForm::widgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("ipAddressLineEdit") << "ipAddressLineEdit" << QRect(203, 10, 195, 20) << "";
    QTest::newRow("currentPrismoLabel") << "currentPrismoLabel" << QRect(44, 40, 151, 20) << "Current Prismo";
    QTest::newRow("resetButton") << "resetButton" << QRect(300, 188, 141, 21) << "Reset Slider Controls";
    QTest::newRow("adjustGroupBox") << "adjustGroupBox" << QRect(20, 214, 411, 721) << "Adjust";
    QTest::newRow("clampP3CheckBox") << "clampP3CheckBox" << QRect(30, 657, 211, 20) << "P3 ColorSpace Clamp";
}

void TestHDRParameterDialogForm::widgets()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    QWidget *w = m_dialog->findChild<QWidget *>(name);
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
    QCOMPARE(shown, text);
}

void TestHDRParameterDialogForm::sliders_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("name");

    QTest::newRow("hdrAmountSlider") << "hdrAmountSlider" << 30 << -1000 << 1000 << 0 << "HDR Amount";
    QTest::newRow("lookSlider") << "lookSlider" << 87 << 0 << 1000 << 500 << "HDR Log Look";
    QTest::newRow("masterGainSlider") << "masterGainSlider" << 387 << 0 << 5000 << 1000 << "Master Gain";
    QTest::newRow("tintSlider") << "tintSlider" << 597 << -16000 << 16000 << 0 << "Tint";
    QTest::newRow("pqoutnitLevelSlider") << "pqoutnitLevelSlider" << 627 << 48 << 4000 << 1000 << "PQ Output Nit Level";
}

void TestHDRParameterDialogForm::sliders()
{
    QFETCH(QString, slider);
    QFETCH(int, y);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(QString, name);

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

    // Its name to the left, its value to the right, on the same line.
    const QList<QLabel *> labels = m_ui.adjustGroupBox->findChildren<QLabel *>();
    const auto at = [&](int x) {
        for (QLabel *label : labels)
            if (label->geometry().topLeft() == QPoint(x, y))
                return label;
        return static_cast<QLabel *>(nullptr);
    };
    QVERIFY(at(30) && at(360));
    QCOMPARE(at(30)->text(), name);
    QCOMPARE(at(30)->height(), 16);
    QVERIFY(at(30)->geometry().right() < s->geometry().left());
    QCOMPARE(at(360)->objectName(), QString(slider).replace(QLatin1String("Slider"), QLatin1String("Label")));
    QCOMPARE(at(360)->size(), QSize(47, 13));
}

// Before any unit answers, every value label shows its slider's start value;
// the nit level, like every later update of it, as a whole number.
void TestHDRParameterDialogForm::valueLabelsShowStartValues()
{
    const QList<QSlider *> sliders = m_dialog->findChildren<QSlider *>();
    for (QSlider *s : sliders) {
        const QString labelName = s->objectName().replace(QLatin1String("Slider"), QLatin1String("Label"));
        auto *label = m_dialog->findChild<QLabel *>(labelName);
        QVERIFY2(label, qPrintable(labelName));
        const QString expected = s == m_ui.pqoutnitLevelSlider ? QString::number(s->value())
                                                               : QString::number(s->value() / 1000.0, 'f', 3);
        QCOMPARE(label->text(), expected);
    }
    QCOMPARE(m_ui.lookLabel->text(), QStringLiteral("0.500"));
    QCOMPARE(m_ui.saturationLabel->text(), QStringLiteral("1.000"));
}

void TestHDRParameterDialogForm::customClasses()
{
    const QList<QComboBox *> choosers = m_dialog->findChildren<QComboBox *>();
    QCOMPARE(choosers.size(), 5);
    for (QComboBox *chooser : choosers)
        QVERIFY2(qobject_cast<TaviComboBox *>(chooser), qPrintable(chooser->objectName()));

    const QList<QSlider *> sliders = m_dialog->findChildren<QSlider *>();
    QCOMPARE(sliders.size(), 22);
    for (QSlider *slider : sliders)
        QCOMPARE(qobject_cast<TaviSlider *>(slider) != nullptr, slider == m_ui.lookSlider);
    QVERIFY(!m_ui.lookSlider->jumpsToClick());
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
    QCOMPARE(window.form().adjustGroupBox->parentWidget(), &window);
    QCOMPARE(window.findChild<QSlider *>(QStringLiteral("tintSlider")), window.form().tintSlider);
    QCOMPARE(window.size(), QSize(451, 944));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

QTEST_MAIN(TestHDRParameterDialogForm)
#include "tst_hdrparameterdialogform.moc"
