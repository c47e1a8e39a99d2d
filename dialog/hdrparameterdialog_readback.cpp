// Reading back: the controls follow the current unit's own values.
#include "hdrparameterdialog.h"

#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <QTimerEvent>

using PC = ParameterCatalogue;

namespace {
// Hold ticks of the whole process; every hundredth lays out the panel page.
unsigned holdTickCount = 0;
} // namespace

void HDRParameterDialog::channelChanged(int)
{
    if (!currentLink)
        return;
    const int channel = currentChannel();
    // Each reply is applied to its own control at once; a failed read leaves
    // its control alone, so it also causes no write.
    const auto read = [this, channel](int slot, QString &reply) {
        std::string value;
        if (!currentLink || !currentLink->GetParam(PC::parameterName(channel, slot), value, "text-plain"))
            return false;
        reply = QString::fromStdString(value);
        return true;
    };
    const auto readChoice = [&read](int slot, QComboBox *chooser, const DynRangeChoice *choices, int count) {
        QString reply;
        if (!read(slot, reply))
            return;
        const int row = PC::choiceRow(choices, count, reply);
        if (row >= 0 && row < chooser->count())
            chooser->setCurrentIndex(row);
    };
    const auto readSwitch = [&read](int slot, QCheckBox *box) {
        QString reply;
        if (!read(slot, reply))
            return;
        if (const std::optional<bool> on = PC::switchFromDeviceText(reply))
            box->setCheckState(*on ? Qt::Checked : Qt::Unchecked);
    };
    const auto readSlider = [this, &read](int slot) {
        QString reply;
        if (!read(slot, reply))
            return;
        if (const std::optional<int> position = PC::positionFromDeviceText(reply))
            this->slider(slot)->setValue(*position);
    };

    QString reply;
    if (read(PC::ColorfrontMode, reply)) {
        if (const std::optional<bool> on = PC::switchFromDeviceText(reply))
            ui->adjustGroupBox->setChecked(*on);
    }
    readChoice(PC::InDynRange, ui->inDynRangeGamutChoiceComboBox, PC::inDynRangeChoices, PC::inDynRangeChoiceCount);
    readChoice(PC::OutDynRange, ui->outDynRangeGamutChoiceComboBox, PC::outDynRangeChoices, PC::outDynRangeChoiceCount);
    readChoice(PC::MonDynRange, ui->monDynRangeGamutChoiceComboBox, PC::outDynRangeChoices, PC::outDynRangeChoiceCount);
    readSwitch(PC::SdrPreview, ui->clampCheckBox);
    for (int slot = PC::HdrAmount; slot <= PC::LogLook; ++slot)
        readSlider(slot);
    for (int slot = PC::Bt2408; slot <= PC::Tint; ++slot)
        readSlider(slot);
    readSwitch(PC::P3Clamp, ui->clampP3CheckBox);
    readSlider(PC::PqNitLevel);

    valueChanged(0);
}

void HDRParameterDialog::updateFromPrismo()
{
    if (retryIdentification() || holdRefresh)
        return;
    channelChanged(0);
    pollGangLinks();
}

void HDRParameterDialog::pollGangLinks()
{
    if (!currentLink)
        return;
    const std::string name = PC::parameterName(currentChannel(), PC::ColorfrontMode);
    for (std::size_t i = 0; i < gangLinks.size(); ++i) {
        std::string reply;
        if (gangLinks[i]->GetParam(name, reply, "text-plain"))
            resendMissedWrites(i);
    }
}

void HDRParameterDialog::setSliderConnections(bool connected)
{
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        QAbstractSlider *s = this->slider(slot);
        if (!s || slot == PC::PqNitLevel)
            continue;
        if (connected)
            connect(s, &QAbstractSlider::valueChanged, this, &HDRParameterDialog::valueChanged);
        else
            disconnect(s, &QAbstractSlider::valueChanged, this, &HDRParameterDialog::valueChanged);
    }
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    if (connected) {
        connect(ui->inDynRangeGamutChoiceComboBox, indexChanged, this, &HDRParameterDialog::inDynRangeChanged);
        connect(ui->outDynRangeGamutChoiceComboBox, indexChanged, this, &HDRParameterDialog::outDynRangeChanged);
    } else {
        disconnect(ui->inDynRangeGamutChoiceComboBox, indexChanged, this, &HDRParameterDialog::inDynRangeChanged);
        disconnect(ui->outDynRangeGamutChoiceComboBox, indexChanged, this, &HDRParameterDialog::outDynRangeChanged);
    }
}

void HDRParameterDialog::applyStoredValues()
{
    setSliderConnections(false);
    ui->inDynRangeGamutChoiceComboBox->setCurrentIndex(sentValues.inRow);
    ui->outDynRangeGamutChoiceComboBox->setCurrentIndex(sentValues.outRow);
    ui->monDynRangeGamutChoiceComboBox->setCurrentIndex(sentValues.monRow);
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        QAbstractSlider *s = this->slider(slot);
        if (!s)
            continue;
        const PC::Kind kind = PC::slot(slot).kind;
        const float value = sentValues.value[static_cast<std::size_t>(slot)];
        s->setValue(PC::positionOfValue(kind, value));
        valueLabels[static_cast<std::size_t>(slot)]->setText(PC::labelText(kind, value));
    }
    setSliderConnections(true);
}

void HDRParameterDialog::timerEvent(QTimerEvent *event)
{
    const int id = event->timerId();
    if (id == holdTimer) {
        if (holdTickCount % 100 == 0)
            showPanelPage(panelPage);
        holdRefresh = false;
        ++holdTickCount;
    } else if (id == resetArmTimer) {
        resetArmed = false;
        killTimer(resetArmTimer);
        resetArmTimer = 0;
    } else if (id == choiceTimer) {
        chooserStepper.cancel();
        if (panelPage == 3)
            showPanelPage(3);
    }
}
