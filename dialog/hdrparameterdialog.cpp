#include "hdrparameterdialog.h"

#include "tangentwavedisplay.h"
#include "tangentwavepanel.h"
#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

HDRParameterDialog::HDRParameterDialog(bool usePanel, const QString &programVersion, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::HDRParameterDialog>())
    , programVersion(programVersion)
{
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    ui->setupUi(this);
    bindCatalogue();
    fillChoosers();
    // What was sent starts as what the controls show, so a value that could
    // not be read (the controls keep their start) causes no write.
    sentValues.inRow = ui->inDynRangeGamutChoiceComboBox->currentIndex();
    sentValues.outRow = ui->outDynRangeGamutChoiceComboBox->currentIndex();
    sentValues.monRow = ui->monDynRangeGamutChoiceComboBox->currentIndex();
    sentValues.sdrPreview = ui->clampCheckBox->checkState() != Qt::Unchecked;
    sentValues.adjust = ui->adjustGroupBox->isChecked();
    sentValues.p3Clamp = ui->clampP3CheckBox->checkState() != Qt::Unchecked;
    for (int slot = 0; slot < ParameterCatalogue::SlotCount; ++slot) {
        if (QAbstractSlider *s = this->slider(slot)) {
            const ParameterCatalogue::Kind kind = ParameterCatalogue::slot(slot).kind;
            sentValues.value[static_cast<std::size_t>(slot)] =
                kind == ParameterCatalogue::Kind::Nits ? static_cast<float>(s->value()) : ParameterCatalogue::scaledValue(s->value());
        }
    }

    for (QAbstractSlider *s : sliders) {
        if (s)
            connect(s, &QAbstractSlider::valueChanged, this, &HDRParameterDialog::valueChanged);
    }
    connect(ui->inDynRangeGamutChoiceComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &HDRParameterDialog::inDynRangeChanged);
    connect(ui->outDynRangeGamutChoiceComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &HDRParameterDialog::outDynRangeChanged);
    connect(ui->monDynRangeGamutChoiceComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &HDRParameterDialog::monDynRangeChanged);
    connect(ui->currentPrismoChoiceComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &HDRParameterDialog::prismoChanged);
    connect(ui->currentChannelComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &HDRParameterDialog::channelChanged);
    connect(ui->clampCheckBox, &QCheckBox::stateChanged, this, &HDRParameterDialog::clampChanged);
    connect(ui->clampP3CheckBox, &QCheckBox::stateChanged, this, &HDRParameterDialog::clampChanged);
    connect(ui->resetButton, &QPushButton::pressed, this, &HDRParameterDialog::resetValues);
    connect(ui->adjustGroupBox, &QGroupBox::clicked, this, &HDRParameterDialog::adjustClicked);
    connect(ui->ipAddressLineEdit, &QLineEdit::editingFinished, this, &HDRParameterDialog::ipAddressEdited);

    createPanel(usePanel);

    auto *refreshTimer = new QTimer(this);
    connect(refreshTimer, &QTimer::timeout, this, &HDRParameterDialog::updateFromPrismo);
    refreshTimer->start(100);
    holdTimer = startTimer(1000, Qt::CoarseTimer);

    gangLinks.clear();
    loadSettings();
    identifyDevice();
    discoverPrismosViaRest();
    rebuildGang();
}

HDRParameterDialog::~HDRParameterDialog()
{
    // The base destructor hides the window, on which the address field
    // reports that editing finished; no slot of a half-destroyed window may run.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    if (currentLink)
        currentLink->closeConnection();
    saveSettings();
}

std::unique_ptr<QMenu> HDRParameterDialog::createContextMenu()
{
    auto menu = std::make_unique<QMenu>();
    // The gang action belongs to the menu, so right clicks do not pile up actions.
    auto *gangAction = new QAction(tr("Set Prismo Gang List"), menu.get());
    gangAction->setStatusTip(tr("Open Prismo Gang List"));
    connect(gangAction, &QAction::triggered, this, &HDRParameterDialog::gangDialog);

    menu->addAction(QStringLiteral("Version ") + programVersion);
    menu->addSeparator();
    menu->addAction(gangAction);
    menu->addSeparator();
    QAction *aboutAction = menu->addAction(QStringLiteral("About %1...").arg(QCoreApplication::applicationName()));
    connect(aboutAction, &QAction::triggered, this, &HDRParameterDialog::slot_about);
    return menu;
}

void HDRParameterDialog::contextMenuEvent(QContextMenuEvent *event)
{
    createContextMenu()->exec(event->globalPos());
}

void HDRParameterDialog::resetValues()
{
    if (!currentLink || !sentValues.adjust)
        return;
    using PC = ParameterCatalogue;
    static const int order[] = {PC::LiftMaster, PC::LiftRed, PC::LiftGreen, PC::LiftBlue, PC::GainMaster,
                                PC::GainRed, PC::GainGreen, PC::GainBlue, PC::GammaMaster, PC::GammaRed,
                                PC::GammaGreen, PC::GammaBlue, PC::Saturation, PC::SdrSoftness, PC::HdrAmount,
                                PC::AmbLightComp, PC::LogLook, PC::Bt2408, PC::Exposure, PC::ColorTemp,
                                PC::Tint, PC::PqNitLevel};
    for (int slot : order)
        this->slider(slot)->setValue(PC::slot(slot).resetPosition);
    showPanelPage(panelPage);
    valueChanged(0);
}
