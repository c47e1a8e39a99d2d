#include "slidersteps.h"

#include <QAbstractSlider>
#include <QKeyEvent>
#include <QWheelEvent>

using PC = ParameterCatalogue;

SliderSteps::SliderSteps(QObject *parent) : QObject(parent) {}

PC::StepSize SliderSteps::size(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ShiftModifier)
        return PC::StepSize::Fine;
    if (modifiers & Qt::ControlModifier)
        return PC::StepSize::Coarse;
    return PC::StepSize::Normal;
}

bool SliderSteps::eventFilter(QObject *watched, QEvent *event)
{
    auto *slider = qobject_cast<QAbstractSlider *>(watched);
    if (!slider || !slider->isEnabled())
        return false;
    int step = 0;
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Right:
        case Qt::Key_Up:
            step = PC::step(PC::ArrowStep, size(key->modifiers()));
            break;
        case Qt::Key_Left:
        case Qt::Key_Down:
            step = -PC::step(PC::ArrowStep, size(key->modifiers()));
            break;
        case Qt::Key_PageUp:
            step = PC::step(slider->pageStep(), size(key->modifiers()));
            break;
        case Qt::Key_PageDown:
            step = -PC::step(slider->pageStep(), size(key->modifiers()));
            break;
        default:
            return false;
        }
    } else if (event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        // Shift turns a vertical wheel into a horizontal one on some systems.
        const int delta = wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
        const int notches = delta / 120;
        if (notches == 0)
            return true;
        step = notches * PC::step(PC::ArrowStep, size(wheel->modifiers()));
    } else {
        return false;
    }
    if (slider->invertedControls())
        step = -step;
    slider->setValue(slider->value() + step);
    return true;
}
