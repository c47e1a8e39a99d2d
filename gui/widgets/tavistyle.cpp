#include "tavistyle.h"

#include <QFile>
#include <QFrame>
#include <QMdiArea>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>

TaviStyle::TaviStyle(int theme)
    : m_theme(theme)
{
}

const QVector<TaviStyle::ColourToken> &TaviStyle::slateTokens()
{
    static const QVector<ColourToken> tokens = {
        {QStringLiteral("tavislate_defaultTextColorRealBright"), QColor(216, 216, 216)},
        {QStringLiteral("tavislate_defaultTextColorBright"), QColor(183, 183, 183)},
        {QStringLiteral("tavislate_defaultTextColor"), QColor(156, 156, 156)},
        {QStringLiteral("tavislate_disabledTextColor"), QColor(87, 87, 87)},
        {QStringLiteral("tavislate_yellowTextColor"), QColor(221, 186, 7)},
        {QStringLiteral("tavislate_warningTextColor"), QColor(152, 29, 29)},
        {QStringLiteral("tavislate_brightestTextColor"), QColor(255, 255, 255)},
        {QStringLiteral("tavislate_defaultSelectionTextColor"), QColor(255, 255, 255)},
        {QStringLiteral("tavislate_defaultSelectionBackgroundColor"), QColor(96, 96, 96)},
        {QStringLiteral("tavislate_alternateSelectionTextColor"), QColor(101, 73, 13)},
        {QStringLiteral("tavislate_alternateSelectionBackgroundColor"), QColor(164, 122, 33)},
        {QStringLiteral("tavislate_lineEditColor"), QColor(206, 206, 206)},
        {QStringLiteral("tavislate_lineEditDisabledColor"), QColor(98, 98, 98)},
        {QStringLiteral("tavislate_comboBoxColor"), QColor(206, 206, 206)},
        {QStringLiteral("tavislate_comboBoxDisabledColor"), QColor(98, 98, 98)},
        {QStringLiteral("tavislate_scrollBarHandleBackground"), QColor(55, 55, 55)},
        {QStringLiteral("tavislate_scrollBarHandleBorder"), QColor(63, 63, 63)},
        {QStringLiteral("tavislate_scrollBarLineBackground"), QColor(30, 35, 40)},
        {QStringLiteral("tavislate_scrollBarHandleGradientStop1_0"), QColor(48, 54, 58)},
        {QStringLiteral("tavislate_scrollBarHandleLeftRightBorder"), QColor(64, 72, 77)},
        {QStringLiteral("tavislate_scrollBarHandleBottomBorder"), QColor(59, 66, 71)},
        {QStringLiteral("tavislate_disabledBackgroundGradientStop0"), QColor(44, 50, 54)},
        {QStringLiteral("tavislate_disabledBackgroundGradientStop1_0"), QColor(45, 51, 55)},
    };
    return tokens;
}

QString TaviStyle::colourText(const QColor &colour)
{
    if (colour.alpha() == 255)
        return QStringLiteral("rgb(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

QString TaviStyle::replaceTokens(QString sheet, const QVector<ColourToken> &tokens)
{
    for (const ColourToken &token : tokens)
        sheet.replace(token.first, colourText(token.second), Qt::CaseSensitive);
    return sheet;
}

QString TaviStyle::styleSheet() const
{
    if (m_theme != slateTheme)
        return QString();
    QFile file(QStringLiteral(":/taviapp/styles/slate.css"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return replaceTokens(QString::fromUtf8(file.readAll()), slateTokens());
}

void TaviStyle::polish(QWidget *widget)
{
    QCommonStyle::polish(widget);
    if (m_theme == slateTheme) {
        if (auto *area = qobject_cast<QMdiArea *>(widget))
            area->setBackground(QColor(50, 57, 60));
    }
}

void TaviStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                              const QWidget *widget) const
{
    switch (element) {
    case PE_FrameFocusRect:
        // The slate look shows focus by other means; a dotted frame only clutters it.
        return;
    case PE_IndicatorMenuCheckMark:
        if (m_theme == slateTheme) {
            // Drawn at its own size; QPixmap keeps loaded files in its cache.
            painter->drawPixmap(option->rect.topLeft() + QPoint(5, 2),
                                QPixmap(QStringLiteral(":/taviapp/media/slate/checkmark.png")));
            return;
        }
        break;
    default:
        break;
    }
    QCommonStyle::drawPrimitive(element, option, painter, widget);
}

int TaviStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                         QStyleHintReturn *returnData) const
{
    switch (hint) {
    case SH_EtchDisabledText:
        return 0;
    case SH_ComboBox_Popup:
        return 1;
    case SH_ComboBox_PopupFrameStyle:
        // The popup list draws its own dark rounded border; the plain frame
        // around it would be drawn in the text colour, a light box on the slate.
        if (m_theme == slateTheme)
            return QFrame::NoFrame;
        break;
    default:
        break;
    }
    return QCommonStyle::styleHint(hint, option, widget, returnData);
}
