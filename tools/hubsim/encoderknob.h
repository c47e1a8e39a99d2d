#pragma once

#include <QWidget>

// One panel encoder: turned by the mouse wheel, by dragging up or down, or
// with the arrow keys (Page Up and Page Down turn five detents). Reports
// whole detents; the window turns them into hub increments.
class EncoderKnob : public QWidget
{
    Q_OBJECT

public:
    explicit EncoderKnob(int encoderId, QWidget *parent = nullptr);

    int encoderId() const { return m_encoderId; }
    QSize sizeHint() const override { return QSize(52, 52); }

    // Pixels of drag per detent.
    static constexpr int DragStep = 8;

Q_SIGNALS:
    void turned(int encoderId, int detents);

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void turn(int detents);

    int m_encoderId;
    int m_position = 0;
    int m_wheelRest = 0;
    int m_dragY = 0;
};
