// Binding of the catalogue's slots to the form's widgets.
#include "hdrparameterdialog.h"

#include "ui_hdrparameterdialog.h"

void HDRParameterDialog::bindCatalogue()
{
    for (int slot = 0; slot < ParameterCatalogue::SlotCount; ++slot) {
        const ParameterCatalogue::SlotInfo &info = ParameterCatalogue::slot(slot);
        const auto index = static_cast<std::size_t>(slot);
        if (info.kind == ParameterCatalogue::Kind::Scaled || info.kind == ParameterCatalogue::Kind::Nits) {
            sliders[index] = findChild<QAbstractSlider *>(QLatin1String(info.widget));
            valueLabels[index] = findChild<QLabel *>(QLatin1String(info.valueLabel));
            Q_ASSERT(sliders[index] && valueLabels[index]);
        }
    }
}

void HDRParameterDialog::fillChoosers()
{
    const struct
    {
        QComboBox *chooser;
        const DynRangeChoice *choices;
        int count;
    } lists[] = {
        {ui->inDynRangeGamutChoiceComboBox, ParameterCatalogue::inDynRangeChoices, ParameterCatalogue::inDynRangeChoiceCount},
        {ui->monDynRangeGamutChoiceComboBox, ParameterCatalogue::outDynRangeChoices,
         ParameterCatalogue::outDynRangeChoiceCount},
        {ui->outDynRangeGamutChoiceComboBox, ParameterCatalogue::outDynRangeChoices,
         ParameterCatalogue::outDynRangeChoiceCount},
    };
    for (const auto &list : lists) {
        for (int row = 0; row < list.count; ++row)
            list.chooser->addItem(QString::fromLatin1(list.choices[row].name));
    }
}

// The channel in force: the item data of the channel chooser's current
// entry; an empty chooser gives channel 0.
int HDRParameterDialog::currentChannel() const
{
    return ui->currentChannelComboBox->currentData(Qt::UserRole).toInt();
}
