#pragma once

#include <QColor>
#include <QCommonStyle>
#include <QPair>
#include <QVector>

// The program's look. Theme 1 is the dark slate theme: its style sheet comes
// from a template in the resources whose colour tokens are filled in here.
class TaviStyle : public QCommonStyle
{
public:
    static constexpr int slateTheme = 1;

    using ColourToken = QPair<QString, QColor>;

    explicit TaviStyle(int theme);

    int theme() const { return m_theme; }

    // The finished style sheet of the theme; empty when it has none or the
    // template cannot be read.
    QString styleSheet() const;

    // The slate colour tokens, in the order they must be replaced: a token
    // that begins with another one comes before it.
    static const QVector<ColourToken> &slateTokens();
    // Replaces every token of the list in sheet, in list order, matching case.
    static QString replaceTokens(QString sheet, const QVector<ColourToken> &tokens);
    // "rgb(r,g,b)", or "rgba(r,g,b,a)" when the colour is not opaque.
    static QString colourText(const QColor &colour);

    using QCommonStyle::polish;
    void polish(QWidget *widget) override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

private:
    const int m_theme;
};
