#pragma once

#include <QObject>

// The keyboard and wheel steps of the window's sliders: an arrow key or a
// wheel notch moves ten positions (0.010, or ten nits), Page Up and Page Down
// the slider's page step; with Shift held every step is ten times finer, with
// Ctrl ten times coarser. Installed on each slider as an event filter.
class SliderSteps : public QObject
{
    Q_OBJECT

public:
    static constexpr int ArrowStep = 10;

    explicit SliderSteps(QObject *parent = nullptr);

    static int scaled(int step, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
