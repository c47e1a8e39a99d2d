// Writing changes: one pass compares every bound control with what was last
// sent and writes what differs to the current unit, then to each ganged unit.
#include "hdrparameterdialog.h"

#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <QDebug>

using PC = ParameterCatalogue;

void HDRParameterDialog::valueChanged(int newValue)
{
    if (!currentLink)
        return;
    const bool force = newValue == forceAll;
    if (force)
        qDebug() << "Forcing Update of all CF related parameters for all Prismos, current + ganged ";

    const int channel = currentChannel();
    const auto name = [channel](int slot) { return QString::fromLatin1(PC::parameterName(channel, slot)); };

    if (passSwitch(PC::ColorfrontMode, sentValues.adjust, force, name(PC::ColorfrontMode)) && panelPage == 1)
        showPanelPage(1);
    if (passChoice(PC::InDynRange, sentValues.inRow, force, name(PC::InDynRange)) && panelPage == 3)
        showPanelPage(3);
    if (passChoice(PC::OutDynRange, sentValues.outRow, force, name(PC::OutDynRange)) && panelPage == 3)
        showPanelPage(3);
    if (passChoice(PC::MonDynRange, sentValues.monRow, force, name(PC::MonDynRange)) && panelPage == 3)
        showPanelPage(3);
    if (passSwitch(PC::SdrPreview, sentValues.sdrPreview, force, name(PC::SdrPreview)) && panelPage == 1)
        showPanelPage(1);
    static const int sliderOrder[] = {PC::LiftMaster, PC::LiftRed, PC::LiftGreen, PC::LiftBlue, PC::GainMaster,
                                      PC::GainRed, PC::GainGreen, PC::GainBlue, PC::GammaMaster, PC::GammaRed,
                                      PC::GammaGreen, PC::GammaBlue, PC::Saturation, PC::SdrSoftness, PC::HdrAmount,
                                      PC::AmbLightComp, PC::LogLook, PC::Bt2408, PC::Exposure, PC::ColorTemp, PC::Tint};
    for (int slot : sliderOrder)
        passSlider(slot, force, name(slot));
    if (passSwitch(PC::P3Clamp, sentValues.p3Clamp, force, name(PC::P3Clamp)) && panelPage == 1)
        showPanelPage(1);
    passSlider(PC::PqNitLevel, force, name(PC::PqNitLevel));

    restartHold();
}

bool HDRParameterDialog::passChoice(int slot, int &stored, bool force, const QString &name)
{
    const bool input = slot == PC::InDynRange;
    QComboBox *chooser = input ? ui->inDynRangeGamutChoiceComboBox
                               : (slot == PC::OutDynRange ? ui->outDynRangeGamutChoiceComboBox
                                                          : ui->monDynRangeGamutChoiceComboBox);
    const DynRangeChoice *choices = input ? PC::inDynRangeChoices : PC::outDynRangeChoices;
    const int count = input ? PC::inDynRangeChoiceCount : PC::outDynRangeChoiceCount;
    const int row = chooser->currentIndex();
    // A chooser standing on no row of its list has nothing that may be written.
    if (unchanged(slot, row == stored, force) || row < 0 || row >= count)
        return false;
    stored = row;
    sendParameter(name, PC::choiceText(choices, count, row));
    return true;
}

bool HDRParameterDialog::passSwitch(int slot, bool &stored, bool force, const QString &name)
{
    bool on = false;
    if (slot == PC::ColorfrontMode)
        on = ui->adjustGroupBox->isChecked();
    else
        on = (slot == PC::SdrPreview ? ui->clampCheckBox : ui->clampP3CheckBox)->checkState() != Qt::Unchecked;
    if (unchanged(slot, on == stored, force))
        return false;
    stored = on;
    sendParameter(name, PC::switchText(on));
    return true;
}

void HDRParameterDialog::passSlider(int slot, bool force, const QString &name)
{
    const PC::Kind kind = PC::slot(slot).kind;
    const int position = this->slider(slot)->value();
    const float value = kind == PC::Kind::Nits ? static_cast<float>(position) : PC::scaledValue(position);
    const auto index = static_cast<std::size_t>(slot);
    float &stored = sentValues.value[index];
    if (unchanged(slot, value == stored, force))
        return;
    stored = value;
    valueLabels[index]->setText(PC::labelText(kind, value));
    showPanelValue(slot, value);
    sendParameter(name, PC::deviceText(position));
}

// A control that differs from what was sent is the user's or the unit's value
// and is written; a forced pass also writes every other control it knows.
bool HDRParameterDialog::unchanged(int slot, bool same, bool force)
{
    bool &known = sentValues.known[static_cast<std::size_t>(slot)];
    if (same && (!force || !known))
        return true;
    known = true;
    return false;
}

void HDRParameterDialog::restartHold()
{
    holdRefresh = true;
    killTimer(holdTimer);
    holdTimer = startTimer(2000, Qt::CoarseTimer);
}

void HDRParameterDialog::sendParameter(const QString &name, const QString &text)
{
    if (!currentLink)
        return;
    const std::string parameter = name.toStdString();
    const std::string value = text.toStdString();
    currentLink->ChangeParam(parameter, value);
    if (currentLink->answered())
        currentMissedWrites.erase(parameter);
    else
        currentMissedWrites[parameter] = value;
    bool answeringChanged = false;
    for (WriteTarget &target : gangLinks) {
        const bool answered = target.answering;
        target.write(parameter, value);
        answeringChanged = answeringChanged || answered != target.answering;
    }
    if (answeringChanged)
        showGangState();
}

void HDRParameterDialog::inDynRangeChanged(int)
{
    valueChanged(0);
}

void HDRParameterDialog::outDynRangeChanged(int)
{
    valueChanged(0);
}

void HDRParameterDialog::monDynRangeChanged(int)
{
    valueChanged(0);
}

void HDRParameterDialog::clampChanged(int)
{
    valueChanged(0);
}

void HDRParameterDialog::adjustClicked(bool)
{
    valueChanged(0);
}

void HDRParameterDialog::prismoChanged(int newIndex)
{
    if (newIndex < 0)
        return;
    ui->ipAddressLineEdit->setText(ui->currentPrismoChoiceComboBox->itemData(newIndex, Qt::UserRole).toString());
    changeCurrentDevice();
}

void HDRParameterDialog::ipAddressEdited()
{
    if (ui->ipAddressLineEdit->displayText().simplified() == currentAddress)
        return;
    changeCurrentDevice();
}

void HDRParameterDialog::changeCurrentDevice()
{
    const QStringList gangedBefore = gangedHostNames();
    identifyDevice();
    discoverPrismosViaRest();
    keepGangAfterDeviceChange(gangedBefore);
}
