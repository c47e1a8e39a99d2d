#include "tavistyle.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOption>
#include <QtTest>

class TestTaviStyle : public QObject
{
    Q_OBJECT

private slots:
    void replaceTokens_data();
    void replaceTokens();
    void colourText_data();
    void colourText();
    void finishedSheet();
    void sheetImagesExist();
    void styleHints();
    void drawing_data();
    void drawing();
};

void TestTaviStyle::replaceTokens_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("expected");

    QTest::newRow("token 2, which begins with token 3")
        << "QLabel { color: tavislate_defaultTextColorBright; }" << "QLabel { color: rgb(183,183,183); }";
    QTest::newRow("all three in one line")
        << "a tavislate_defaultTextColor b tavislate_defaultTextColorBright c tavislate_defaultTextColorRealBright"
        << "a rgb(156,156,156) b rgb(183,183,183) c rgb(216,216,216)";
    QTest::newRow("every occurrence") << "tavislate_yellowTextColor tavislate_yellowTextColor"
                                      << "rgb(221,186,7) rgb(221,186,7)";
    QTest::newRow("capitals are not a token") << "TAVISLATE_DEFAULTTEXTCOLOR" << "TAVISLATE_DEFAULTTEXTCOLOR";
    QTest::newRow("other case is not a token") << "tavislate_DefaultTextColor" << "tavislate_DefaultTextColor";
}

void TestTaviStyle::replaceTokens()
{
    QFETCH(QString, sheet);
    QFETCH(QString, expected);
    QCOMPARE(TaviStyle::replaceTokens(sheet, TaviStyle::slateTokens()), expected);
}

void TestTaviStyle::colourText_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("expected");

    QTest::newRow("opaque") << QColor(96, 96, 96) << "rgb(96,96,96)";
    QTest::newRow("alpha 128") << QColor(27, 32, 36, 128) << "rgba(27,32,36,128)";
}

void TestTaviStyle::colourText()
{
    QFETCH(QColor, colour);
    QFETCH(QString, expected);
    QCOMPARE(TaviStyle::colourText(colour), expected);
    QCOMPARE(TaviStyle::replaceTokens(QStringLiteral("x tavislate_custom"),
                                      {{QStringLiteral("tavislate_custom"), colour}}),
             QStringLiteral("x ") + expected);
}

void TestTaviStyle::finishedSheet()
{
    QCOMPARE(TaviStyle::slateTokens().size(), 23);
    const QString sheet = TaviStyle(TaviStyle::slateTheme).styleSheet();
    QVERIFY(sheet.startsWith(QLatin1String("/*")));
    QVERIFY(sheet.left(200).contains(QLatin1String("Slate")));
    QVERIFY2(!sheet.contains(QLatin1String("tavislate_")), "a token was left in the sheet");
    QVERIFY2(!sheet.contains(QLatin1String("Bright")), "a token tail was left in the sheet");
    QVERIFY(!sheet.contains(QLatin1String("rgba(")));
    QVERIFY(sheet.contains(QLatin1String("rgb(183,183,183)")));
    QVERIFY(sheet.contains(QLatin1String("url(:/taviapp/media/slate/slider-handle-big.png)")));

    QVERIFY(TaviStyle(0).styleSheet().isEmpty());
    QVERIFY(TaviStyle(2).styleSheet().isEmpty());
}

void TestTaviStyle::sheetImagesExist()
{
    const QString sheet = TaviStyle(TaviStyle::slateTheme).styleSheet();
    const QRegularExpression url(QStringLiteral("url\\(([^)]+)\\)"));
    int count = 0;
    for (auto it = url.globalMatch(sheet); it.hasNext(); ++count) {
        const QString path = it.next().captured(1);
        QVERIFY2(!QImage(path).isNull(), qPrintable(path));
    }
    QVERIFY(count >= 20);
}

void TestTaviStyle::styleHints()
{
    TaviStyle style(TaviStyle::slateTheme);
    QCOMPARE(style.styleHint(QStyle::SH_EtchDisabledText), 0);
    QCOMPARE(style.styleHint(QStyle::SH_ComboBox_Popup), 1);
    QCOMPARE(style.styleHint(QStyle::SH_Slider_AbsoluteSetButtons),
             QCommonStyle().styleHint(QStyle::SH_Slider_AbsoluteSetButtons));
}

void TestTaviStyle::drawing_data()
{
    QTest::addColumn<int>("theme");
    QTest::addColumn<int>("element");
    QTest::addColumn<QRect>("expectedArea");

    // The check mark lands at its own size 5 px right of and 2 px below the corner.
    QTest::newRow("slate check mark") << 1 << int(QStyle::PE_IndicatorMenuCheckMark) << QRect(15, 12, 12, 12);
    QTest::newRow("slate focus frame") << 1 << int(QStyle::PE_FrameFocusRect) << QRect();
    QTest::newRow("other theme focus frame") << 0 << int(QStyle::PE_FrameFocusRect) << QRect();
}

void TestTaviStyle::drawing()
{
    QFETCH(int, theme);
    QFETCH(int, element);
    QFETCH(QRect, expectedArea);

    TaviStyle style(theme);
    QImage image(60, 40, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QStyleOption option;
    option.rect = QRect(10, 10, 30, 20);
    option.state = QStyle::State_Enabled | QStyle::State_On;
    {
        QPainter painter(&image);
        style.drawPrimitive(QStyle::PrimitiveElement(element), &option, &painter);
    }

    QRect painted;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                painted |= QRect(x, y, 1, 1);
    if (expectedArea.isNull())
        QVERIFY2(painted.isNull(), "something was drawn");
    else
        QVERIFY(!painted.isNull() && expectedArea.contains(painted));
}

QTEST_MAIN(TestTaviStyle)
#include "tst_tavistyle.moc"
