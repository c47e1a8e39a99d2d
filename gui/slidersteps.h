#pragma once

#include "parametercatalogue.h"

#include <QObject>

// The keyboard and wheel steps of the window's sliders, as the parameter
// table's step rule has them: an arrow key or a wheel notch moves a normal
// step, Page Up and Page Down the slider's page step; Shift makes every step
// fine, Ctrl coarse. Installed on each slider as an event filter.
class SliderSteps : public QObject
{
    Q_OBJECT

public:
    explicit SliderSteps(QObject *parent = nullptr);

    static ParameterCatalogue::StepSize size(Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
