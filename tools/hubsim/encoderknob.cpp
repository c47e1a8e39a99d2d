#include "encoderknob.h"

#include <QKeyEvent>
#include <QPainter>
#include <QtMath>

EncoderKnob::EncoderKnob(int encoderId, QWidget *parent) : QWidget(parent), m_encoderId(encoderId)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(44, 44);
    setCursor(Qt::SizeVerCursor);
    setToolTip(tr("Encoder %1: wheel, drag up or down, or arrow keys").arg(encoderId));
}

void EncoderKnob::turn(int detents)
{
    if (detents == 0)
        return;
    m_position += detents;
    update();
    Q_EMIT turned(m_encoderId, detents);
}

void EncoderKnob::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 6;
    const QRectF dial((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    painter.setPen(QPen(hasFocus() ? palette().highlight().color() : palette().mid().color(), 2));
    painter.setBrush(palette().button());
    painter.drawEllipse(dial);
    // Twenty-four detents to a revolution.
    const double angle = m_position * 2 * M_PI / 24 - M_PI / 2;
    const QPointF centre = dial.center();
    const double r = side / 2.0 - 5;
    painter.setPen(QPen(palette().text().color(), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(std::cos(angle), std::sin(angle)) * r * 0.3,
                     centre + QPointF(std::cos(angle), std::sin(angle)) * r);
    painter.drawText(rect(), Qt::AlignHCenter | Qt::AlignBottom, QString::number(m_encoderId));
}

void EncoderKnob::wheelEvent(QWheelEvent *event)
{
    // Touchpads send fractions of a notch; keep the rest for the next event.
    m_wheelRest += event->angleDelta().y();
    const int detents = m_wheelRest / 120;
    m_wheelRest -= detents * 120;
    turn(detents);
    event->accept();
}

void EncoderKnob::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    m_dragY = event->pos().y();
    event->accept();
}

void EncoderKnob::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    // Up turns clockwise, like a fader pushed forward.
    const int detents = (m_dragY - event->pos().y()) / DragStep;
    m_dragY -= detents * DragStep;
    turn(detents);
}

void EncoderKnob::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        turn(1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        turn(-1);
        break;
    case Qt::Key_PageUp:
        turn(5);
        break;
    case Qt::Key_PageDown:
        turn(-5);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
