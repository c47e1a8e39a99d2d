// Panel slots: the control panel drives the same controls as the mouse, and
// its display shows names and values page by page.
#include "hdrparameterdialog.h"

#include "encoderaccumulator.h"
#include "panelcontrolmap.h"
#include "panelpagelayout.h"
#include "tangentwavedisplay.h"
#include "tangentwavepanel.h"
#include "ui_hdrparameterdialog.h"

using PC = ParameterCatalogue;

namespace {
// Increments of all encoders add up together.
EncoderAccumulator encoderAccum;
} // namespace

void HDRParameterDialog::createPanel(bool usePanel)
{
    if (!usePanel)
        return;
    panel = std::make_unique<tangentWavePanel>();
    display = std::make_unique<tangentWaveDisplay>(panel.get());
    panelPage = 0;
    connect(panel.get(), &tangentWavePanel::sig_encoder, this, &HDRParameterDialog::slot_encoder);
    connect(panel.get(), &tangentWavePanel::sig_buttonDown, this, &HDRParameterDialog::slot_buttonDown);
    connect(panel.get(), &tangentWavePanel::sig_buttonUp, this, &HDRParameterDialog::slot_buttonUp);
    connect(panel.get(), &tangentWavePanel::sig_refreshMe, this, &HDRParameterDialog::slot_refreshMe);
    // A hub that starts (again) greets the program: the panel shows the page at once.
    connect(panel.get(), &tangentWavePanel::sig_hubGreeted, this, [this] { showPanelPage(panelPage); });
}

void HDRParameterDialog::showPanelPage(int page)
{
    if (!display)
        return;
    const auto value = [this](int slot) { return this->slider(slot)->value() / 1000.0; };
    PanelPageValues v;
    for (int i = 0; i < 4; ++i) {
        v.lift[i] = value(PC::LiftMaster + i);
        v.gamma[i] = value(PC::GammaMaster + i);
        v.gain[i] = value(PC::GainMaster + i);
    }
    v.hdrAmount = value(PC::HdrAmount);
    v.ambLight = value(PC::AmbLightComp);
    v.logLook = value(PC::LogLook);
    v.sdrSoftness = value(PC::SdrSoftness);
    v.saturation = value(PC::Saturation);
    v.exposure = value(PC::Exposure);
    v.colorTemp = value(PC::ColorTemp);
    v.tint = value(PC::Tint);
    v.bt2408 = value(PC::Bt2408);
    v.pqNitLevel = this->slider(PC::PqNitLevel)->value();
    v.sdrPreview = sentValues.sdrPreview;
    v.adjust = sentValues.adjust;
    v.p3Clamp = sentValues.p3Clamp;
    v.systemName = systemName;
    v.versionText = versionText;
    v.channel = currentChannel();
    const auto rowName = [](const DynRangeChoice *choices, int count, int row) {
        return row >= 0 && row < count ? QString::fromLatin1(choices[row].name) : QString();
    };
    v.inRange = rowName(PC::inDynRangeChoices, PC::inDynRangeChoiceCount, ui->inDynRangeGamutChoiceComboBox->currentIndex());
    v.outRange = rowName(PC::outDynRangeChoices, PC::outDynRangeChoiceCount, ui->outDynRangeGamutChoiceComboBox->currentIndex());
    v.monRange = rowName(PC::outDynRangeChoices, PC::outDynRangeChoiceCount, ui->monDynRangeGamutChoiceComboBox->currentIndex());
    PanelPageLayout::show(*display, page, v);
}

void HDRParameterDialog::showPanelValue(int slot, float value)
{
    if (!display)
        return;
    if (slot >= PC::LiftMaster && slot <= PC::LiftBlue)
        display->showLift(slot - PC::LiftMaster + 1, value);
    else if (slot >= PC::GainMaster && slot <= PC::GainBlue)
        display->showGain(slot - PC::GainMaster + 1, value);
    else if (slot >= PC::GammaMaster && slot <= PC::GammaBlue)
        display->showGamma(slot - PC::GammaMaster + 1, value);
    else if (slot == PC::Saturation)
        display->showSaturation(value);
    else if (slot == PC::SdrSoftness)
        display->showSdrSoftness(value);
    else if (slot == PC::HdrAmount)
        display->showHdrAmount(value);
    else if (slot == PC::AmbLightComp)
        display->showAmbLight(value);
    else if (slot == PC::LogLook)
        display->showLogLook(value);
    else if (slot == PC::Bt2408)
        display->showBt2408(value);
    else if (slot == PC::Exposure)
        display->showExposure(value);
    else if (slot == PC::ColorTemp)
        display->showColorTemp(value);
    else if (slot == PC::Tint)
        display->showTint(value);
    else if (slot == PC::PqNitLevel)
        display->showPqNitLevel(value);
}

QComboBox *HDRParameterDialog::chooserWidget(int chooser) const
{
    switch (chooser) {
    case ChooserStepper::Device:
        return ui->currentPrismoChoiceComboBox;
    case ChooserStepper::Channel:
        return ui->currentChannelComboBox;
    case ChooserStepper::InRange:
        return ui->inDynRangeGamutChoiceComboBox;
    case ChooserStepper::OutRange:
        return ui->outDynRangeGamutChoiceComboBox;
    case ChooserStepper::MonRange:
        return ui->monDynRangeGamutChoiceComboBox;
    default:
        return nullptr;
    }
}

// What the status line shows for each entry of a chooser.
QStringList HDRParameterDialog::chooserEntryNames(int chooser) const
{
    QStringList names;
    const QComboBox *box = chooserWidget(chooser);
    for (int i = 0; box && i < box->count(); ++i) {
        if (chooser == ChooserStepper::Device)
            names << (i < deviceList.size() ? deviceList[i].hostName : box->itemText(i));
        else if (chooser == ChooserStepper::Channel)
            names << tangentWaveDisplay::channelName(box->itemData(i, Qt::UserRole).toInt());
        else
            names << box->itemText(i);
    }
    return names;
}

void HDRParameterDialog::restartChoiceTimer()
{
    if (choiceTimer)
        killTimer(choiceTimer);
    choiceTimer = startTimer(3000);
}

void HDRParameterDialog::stepChooser(int chooser, double step)
{
    const auto which = static_cast<ChooserStepper::Chooser>(chooser);
    const ChooserStepper::Result r =
        chooserStepper.step(which, step, chooserEntryNames(chooser), chooserWidget(chooser)->currentIndex());
    switch (r.outcome) {
    case ChooserStepper::Outcome::Started:
        restartChoiceTimer();
        break;
    case ChooserStepper::Outcome::Moved:
        display->showStatusLine(r.line, r.lineText);
        restartChoiceTimer();
        break;
    case ChooserStepper::Outcome::Cancelled:
        showPanelPage(panelPage);
        break;
    case ChooserStepper::Outcome::Ignored:
    case ChooserStepper::Outcome::Accumulated:
        break;
    }
}

void HDRParameterDialog::slot_encoder(uint32_t encoderId, float delta)
{
    if (!display)
        return;
    const PanelControlMap::EncoderMove move =
        PanelControlMap::encoderMove(panelPage, encoderId, sentValues.adjust, delta, encoderAccum);
    if (move.step == 0 || move.control == PanelControl::None)
        return;
    if (PanelControlMap::isChooser(move.control)) {
        stepChooser(PanelControlMap::chooserOf(move.control), move.step);
        return;
    }
    QAbstractSlider *s = findChild<QAbstractSlider *>(QLatin1String(PanelControlMap::objectName(move.control)));
    s->setValue(s->value() + move.step);
    valueChanged(0);
}

void HDRParameterDialog::slot_buttonDown(uint32_t butonId)
{
    if (!display)
        return;
    const PanelControlMap::ButtonAction action = PanelControlMap::buttonAction(panelPage, butonId, sentValues.adjust);
    switch (action.kind) {
    case PanelControlMap::ButtonAction::ResetSlider:
        findChild<QAbstractSlider *>(QLatin1String(PanelControlMap::objectName(action.control)))->setValue(action.value);
        valueChanged(0);
        break;
    case PanelControlMap::ButtonAction::Toggle:
        if (action.control == PanelControl::Adjust) {
            ui->adjustGroupBox->setChecked(!ui->adjustGroupBox->isChecked());
            valueChanged(0);
        } else {
            QCheckBox *box = action.control == PanelControl::SdrPreview ? ui->clampCheckBox : ui->clampP3CheckBox;
            box->setChecked(box->checkState() == Qt::Unchecked);
            valueChanged(0);
            if (action.control == PanelControl::SdrPreview)
                showPanelPage(panelPage);
        }
        break;
    case PanelControlMap::ButtonAction::Commit: {
        const int chooser = PanelControlMap::chooserOf(action.control);
        if (const std::optional<int> index = chooserStepper.commit(static_cast<ChooserStepper::Chooser>(chooser))) {
            chooserWidget(chooser)->setCurrentIndex(*index);
            killTimer(choiceTimer);
            choiceTimer = 0;
            showPanelPage(panelPage);
        }
        break;
    }
    case PanelControlMap::ButtonAction::NextPage:
        if (panelPage < 3)
            chooserStepper.cancel();
        panelPage = PanelControlMap::nextPage(panelPage);
        display->setPage(panelPage);
        showPanelPage(panelPage);
        break;
    case PanelControlMap::ButtonAction::DoublePress:
        if (resetArmed) {
            resetValues();
        } else {
            resetArmed = true;
            resetArmTimer = startTimer(500);
        }
        break;
    case PanelControlMap::ButtonAction::None:
        break;
    }
}

void HDRParameterDialog::slot_buttonUp(uint32_t) {}

void HDRParameterDialog::slot_refreshMe() {}
