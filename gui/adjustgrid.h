#pragma once

#include "parametercatalogue.h"

#include <array>

class QGroupBox;
class QLabel;
class QWidget;

// The rows of the window's Adjust group, built from the parameter table in
// its order: a slider's caption, the slider (its range, steps and start
// position from the table) and its value label, or a switch's check box.
class AdjustGrid
{
public:
    struct Row
    {
        QWidget *control = nullptr;
        QLabel *valueLabel = nullptr;
    };
    using Rows = std::array<Row, ParameterCatalogue::SlotCount>;

    // Builds the rows into the group and makes the group, and the window
    // with it, as tall as they need; returns each slot's widgets (none for
    // a slot outside the group).
    static Rows build(QGroupBox &group);

    // The rows' places in the group.
    static constexpr int RowPitch = 30;
    static constexpr int FirstRowY = 30;
    static constexpr int CaptionX = 30;
    static constexpr int ControlX = 140;
    // A caption may run up to its slider.
    static constexpr int CaptionWidth = ControlX - CaptionX - 1;
    static constexpr int CaptionHeight = 16;
    static constexpr int ControlWidth = 211;
    static constexpr int ControlHeight = 20;
    static constexpr int LabelX = 360;
    static constexpr int LabelWidth = 47;
    static constexpr int LabelHeight = 13;
    static constexpr int BottomMargin = 14;

    // The top of row `index`: the rows stand RowPitch apart, but for the
    // first, which stands 3 pixels lower, clear of the group's title.
    static int rowY(int index);
};
