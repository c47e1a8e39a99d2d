#include "adjustgrid.h"

#include "tavislider.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

using PC = ParameterCatalogue;

namespace {
// "masterGainSlider" has the value label "masterGainLabel".
QString valueLabelName(const char *sliderName)
{
    QString name = QLatin1String(sliderName);
    if (name.endsWith(QLatin1String("Slider")))
        name.chop(6);
    return name + QStringLiteral("Label");
}
} // namespace

int AdjustGrid::rowY(int index)
{
    return index == 0 ? FirstRowY : FirstRowY - 3 + RowPitch * index;
}

AdjustGrid::Rows AdjustGrid::build(QGroupBox &group)
{
    Rows rows;
    int index = 0;
    int bottom = 0;
    for (const ParameterRow &info : ParameterTable::rows) {
        if (info.window != WindowPlace::AdjustGroup)
            continue;
        const int y = rowY(index++);
        Row &row = rows[std::size_t(info.slot)];
        if (info.kind == PC::Kind::Switch) {
            auto *box = new QCheckBox(QString::fromLatin1(info.caption), &group);
            box->setGeometry(CaptionX, y, ControlWidth, ControlHeight);
            box->setChecked(info.startPosition != 0);
            row.control = box;
        } else {
            auto *caption = new QLabel(QString::fromLatin1(info.caption), &group);
            caption->setGeometry(CaptionX, y, CaptionWidth, CaptionHeight);
            auto *slider = new TaviSlider(&group);
            slider->setGeometry(ControlX, y, ControlWidth, ControlHeight);
            slider->setRange(info.minimum, info.maximum);
            slider->setSingleStep(info.singleStep);
            slider->setPageStep(info.pageStep);
            slider->setValue(info.startPosition);
            slider->setOrientation(Qt::Horizontal);
            row.control = slider;
            row.valueLabel = new QLabel(PC::labelText(info.slot, info.startPosition), &group);
            row.valueLabel->setGeometry(LabelX, y, LabelWidth, LabelHeight);
            row.valueLabel->setObjectName(valueLabelName(info.widget));
        }
        row.control->setObjectName(QLatin1String(info.widget));
        bottom = y + ControlHeight;
    }

    const int grow = bottom + BottomMargin - group.height();
    if (grow != 0) {
        group.resize(group.width(), group.height() + grow);
        if (QWidget *window = group.window(); window != &group)
            window->resize(window->width(), window->height() + grow);
    }
    return rows;
}
