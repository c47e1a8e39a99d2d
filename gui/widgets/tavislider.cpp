#include "tavislider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

TaviSlider::TaviSlider(QWidget *parent, bool jumpToClick)
    : QSlider(parent)
    , m_jumpToClick(jumpToClick)
{
}

void TaviSlider::setBigThumbMode(bool big)
{
    if (m_bigThumbMode == big)
        return;
    m_bigThumbMode = big;
    // The style sheet picks the handle images by this property; make it look again.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

std::optional<int> TaviSlider::valueAtPosition(int pos, int grooveFirst, int grooveLast, int handleLength,
                                               int minimum, int maximum)
{
    const int half = handleLength / 2;
    const int start = grooveFirst + half;
    const int end = grooveLast - half;
    if (end <= start)
        return std::nullopt;
    const double t = double(pos - start) / double(end - start);
    double value = (1.0 - t) * minimum + t * maximum;
    value = std::clamp(value, double(std::min(minimum, maximum)), double(std::max(minimum, maximum)));
    return int(std::lround(value));
}

void TaviSlider::jumpTo(const QPoint &pos)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    if (handle.contains(pos))
        return;
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    // Horizontal sliders grow to the right and vertical ones upwards, unless inverted.
    const bool horizontal = orientation() == Qt::Horizontal;
    const bool growsAlongAxis = horizontal != invertedAppearance();
    const int first = growsAlongAxis ? minimum() : maximum();
    const int last = growsAlongAxis ? maximum() : minimum();
    const std::optional<int> value =
        horizontal ? valueAtPosition(pos.x(), groove.left(), groove.right(), handle.width(), first, last)
                   : valueAtPosition(pos.y(), groove.top(), groove.bottom(), handle.height(), first, last);
    if (value)
        setValue(*value);
}

void TaviSlider::mousePressEvent(QMouseEvent *event)
{
    if (m_jumpToClick && event->button() == Qt::LeftButton)
        jumpTo(event->pos());
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    else if (event->button() == Qt::RightButton)
        Q_EMIT rightClick();
    // After a jump the handle lies under the pointer, so the base class starts a drag.
    QSlider::mousePressEvent(event);
}

void TaviSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QSlider::mouseReleaseEvent(event);
}

void TaviSlider::paintEvent(QPaintEvent *event)
{
    QSlider::paintEvent(event);
    if (orientation() != Qt::Horizontal || tickPosition() == QSlider::NoTicks)
        return;
    const int interval = tickInterval();
    if (interval <= 0)
        return;
    const int count = (maximum() - minimum()) / interval;
    if (count <= 0)
        return;
    const QRect contents = contentsRect();
    const int spacing = contents.width() / count;
    const int last = contents.width() - 8;

    QPainter painter(this);
    painter.setPen(isEnabled() ? QColor(55, 60, 64) : QColor(27, 32, 36, 100));
    const int top = contents.bottom() - 10;
    const int bottom = contents.bottom() - 5;
    for (int i = 0, x = 7; i <= count; ++i, x += spacing + 1) {
        const int tickX = i == count ? last : std::min(x, last);
        painter.drawLine(tickX, top, tickX, bottom);
    }
}
