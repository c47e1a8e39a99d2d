#pragma once

#include <QSlider>

#include <optional>

// A slider that can jump to the clicked position, reports right clicks and
// draws its own tick marks in the slate look.
class TaviSlider : public QSlider
{
    Q_OBJECT
    Q_PROPERTY(bool bigThumbMode READ bigThumbMode WRITE setBigThumbMode)

public:
    // The jump-to-click default lets a form construct the slider with its parent only.
    explicit TaviSlider(QWidget *parent = nullptr, bool jumpToClick = false);

    bool bigThumbMode() const { return m_bigThumbMode; }
    void setBigThumbMode(bool big);
    bool jumpsToClick() const { return m_jumpToClick; }
    bool isPressed() const { return m_pressed; }

    // The value under a click at position pos of a groove spanning first..last,
    // keeping half a handle clear at each end. Empty when the usable groove has
    // no length, so there is nothing sensible to jump to.
    static std::optional<int> valueAtPosition(int pos, int grooveFirst, int grooveLast, int handleLength,
                                              int minimum, int maximum);

Q_SIGNALS:
    void rightClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void jumpTo(const QPoint &pos);

    const bool m_jumpToClick;
    bool m_pressed = false;
    bool m_bigThumbMode = false;
};
