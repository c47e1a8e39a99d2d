// Reading back: the controls follow the current unit's own values.
#include "hdrparameterdialog.h"

#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <QTimerEvent>

#include <algorithm>

using PC = ParameterCatalogue;

namespace {
// Hold ticks of the whole process; every hundredth lays out the panel page.
unsigned holdTickCount = 0;
} // namespace

void HDRParameterDialog::channelChanged(int)
{
    if (!currentLink || !catchUpCurrentUnit())
        return;
    const int channel = currentChannel();
    if (channel != readChannel) {
        sentValues.known.fill(false);
        readChannel = channel;
    }
    // Each reply is applied to its own control at once; a failed read leaves
    // its control alone, so it also causes no write.
    const auto read = [this, channel](int slot, QString &reply) {
        std::string value;
        if (!currentLink || !currentLink->GetParam(PC::parameterName(channel, slot), value, "text-plain"))
            return false;
        reply = QString::fromStdString(value);
        return true;
    };
    const auto knownSlot = [this](int slot) -> bool & { return sentValues.known[static_cast<std::size_t>(slot)]; };
    const auto readChoice = [&read, &knownSlot](int slot, QComboBox *chooser, const DynRangeChoice *choices, int count) {
        QString reply;
        if (!read(slot, reply))
            return;
        const int row = PC::choiceRow(choices, count, reply);
        knownSlot(slot) = row >= 0 && row < chooser->count();
        if (knownSlot(slot))
            chooser->setCurrentIndex(row);
    };
    const auto readSwitch = [&read, &knownSlot](int slot, QCheckBox *box) {
        QString reply;
        if (!read(slot, reply))
            return;
        const std::optional<bool> on = PC::switchFromDeviceText(reply);
        if (!on)
            return;
        knownSlot(slot) = true;
        box->setCheckState(*on ? Qt::Checked : Qt::Unchecked);
    };
    const auto readSlider = [this, &read, &knownSlot](int slot) {
        QString reply;
        if (!read(slot, reply))
            return;
        const std::optional<int> position = PC::positionFromDeviceText(reply);
        if (!position)
            return;
        QAbstractSlider *s = this->slider(slot);
        const int shown = std::clamp(*position, s->minimum(), s->maximum());
        knownSlot(slot) = shown == *position;
        if (shown != *position) {
            // Taken over as it is shown, so the pass writes nothing for it.
            const auto index = static_cast<std::size_t>(slot);
            const PC::Kind kind = PC::slot(slot).kind;
            const float value = kind == PC::Kind::Nits ? static_cast<float>(shown) : PC::scaledValue(shown);
            sentValues.value[index] = value;
            valueLabels[index]->setText(PC::labelText(kind, value));
            showPanelValue(slot, value);
        }
        s->setValue(shown);
    };

    QString reply;
    if (read(PC::ColorfrontMode, reply)) {
        if (const std::optional<bool> on = PC::switchFromDeviceText(reply)) {
            knownSlot(PC::ColorfrontMode) = true;
            ui->adjustGroupBox->setChecked(*on);
        }
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

// A unit that missed writes while it did not answer gets them before it is
// read again; otherwise its stale values would be read back and spread to the gang.
bool HDRParameterDialog::catchUpCurrentUnit()
{
    for (auto it = currentMissedWrites.begin(); it != currentMissedWrites.end();) {
        currentLink->ChangeParam(it->first, it->second);
        if (!currentLink->answered())
            return false;
        it = currentMissedWrites.erase(it);
    }
    return true;
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
    bool answeringChanged = false;
    for (WriteTarget &target : gangLinks) {
        const bool answered = target.answering;
        std::string reply;
        target.link->GetParam(name, reply, "text-plain");
        target.answering = target.link->answered();
        if (target.answering)
            target.catchUp();
        answeringChanged = answeringChanged || answered != target.answering;
    }
    if (answeringChanged)
        showGangState();
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
