#include "hdrparameterdialog.h"

#include "copychanneldialog.h"
#include "gang.h"
#include "gangdialog.h"
#include "hdrcontroller.h"
#include "httptransport.h"
#include "lookfile.h"
#include "modalprompt.h"
#include "panelcontroller.h"
#include "slidersteps.h"
#include "tangentwavepanel.h"
#include "taviaboutbox.h"
#include "ui_hdrparameterdialog.h"
#include "valuelabeleditor.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <climits>
#include <cmath>

using PC = ParameterCatalogue;

namespace {
// A small coloured dot for a unit's state in the device list.
QIcon stateIcon(const QString &state)
{
    QColor colour;
    if (state == QLatin1String("answering"))
        colour = QColor(80, 170, 80);
    else if (state == QLatin1String("slow") || state == QLatin1String("catching up"))
        colour = QColor(221, 186, 7);
    else if (state == QLatin1String("not answering"))
        colour = QColor(190, 50, 50);
    else
        return QIcon();
    QPixmap dot(10, 10);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(1, 1, 8, 8);
    return QIcon(dot);
}
} // namespace

PrismoSettings HDRParameterDialog::savedSettings()
{
    PrismoSettings settings;
    settings.load();
    return settings;
}

HDRParameterDialog::HDRParameterDialog(bool usePanel, const QString &programVersion, const Ports &ports,
                                       const PrismoSettings &saved, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::HDRParameterDialog>()), programVersion(programVersion),
      m_controller(std::make_unique<HdrController>([port = ports.device](const QString &address) {
          return std::make_unique<HttpTransport>(address, port);
      }))
{
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    ui->setupUi(this);
    bindControls();

    HdrController &c = *m_controller;
    connect(&c, &HdrController::parameterChanged, this, &HDRParameterDialog::showParameter);
    connect(&c, &HdrController::titleChanged, this, &QWidget::setWindowTitle);
    connect(&c, &HdrController::channelsChanged, this, &HDRParameterDialog::showChannels);
    connect(&c, &HdrController::devicesChanged, this, &HDRParameterDialog::showDevices);
    connect(&c, &HdrController::gangChanged, this, &HDRParameterDialog::showGang);
    connect(&c, &HdrController::addressChosen, ui->ipAddressLineEdit, &QLineEdit::setText);
    connect(&c, &HdrController::looksChanged, this, &HDRParameterDialog::showLooks);
    connect(&c, &HdrController::channelRead, this, [this] {
        for (int slot = 0; slot < PC::SlotCount; ++slot) {
            if (m_controls[std::size_t(slot)])
                showParameter(slot, m_controller->value(slot));
        }
    });

    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    connect(ui->currentPrismoChoiceComboBox, indexChanged, this, &HDRParameterDialog::prismoChanged);
    connect(ui->currentChannelComboBox, indexChanged, this, &HDRParameterDialog::channelChanged);
    connect(ui->resetButton, &QPushButton::pressed, this, &HDRParameterDialog::resetValues);
    connect(ui->ipAddressLineEdit, &QLineEdit::editingFinished, this, &HDRParameterDialog::ipAddressEdited);
    connect(ui->abToggleButton, &QPushButton::clicked, &c, &HdrController::toggleLooks);
    createShortcuts();

    if (usePanel)
        createPanel(ports.hub);

    ui->ipAddressLineEdit->setText(saved.address);
    setWindowTitle(c.title());
    showGang();
    showLooks();
    c.start(saved.address, saved.gangNames);
}

HDRParameterDialog::~HDRParameterDialog()
{
    // The base destructor hides the window, on which the address field
    // reports that editing finished; no slot of a half-destroyed window may run.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    disconnect(m_controller.get(), nullptr, this, nullptr);
    PrismoSettings::save(ui->ipAddressLineEdit->text(), m_controller->gangNamesToSave());
    m_panelController.reset();
    m_controller->shutdown();
}

// Every control takes its range and steps from the parameter table, and
// tells the controller what the user set.
void HDRParameterDialog::bindControls()
{
    auto *steps = new SliderSteps(this);
    auto *labelEditor = new ValueLabelEditor(this);
    connect(labelEditor, &ValueLabelEditor::valueTyped, this, [this](QLabel *label, double typed) {
        const auto found = std::find(m_valueLabels.cbegin(), m_valueLabels.cend(), label);
        if (found == m_valueLabels.cend())
            return;
        const int slot = int(found - m_valueLabels.cbegin());
        controlChanged(slot, int(qBound<double>(INT_MIN, std::round(PC::positionOf(slot, typed)), INT_MAX)));
        // The controller keeps a value within its range; the label shows what it kept.
        showParameter(slot, m_controller->value(slot));
    });
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        const PC::SlotInfo &info = PC::slot(slot);
        if (info.kind == PC::Kind::Unbound)
            continue;
        QWidget *control = findChild<QWidget *>(QLatin1String(info.widget));
        Q_ASSERT(control);
        m_controls[std::size_t(slot)] = control;
        if (auto *slider = qobject_cast<QAbstractSlider *>(control)) {
            slider->setRange(info.minimum, info.maximum);
            slider->setSingleStep(info.singleStep);
            slider->setPageStep(info.pageStep);
            m_valueLabels[std::size_t(slot)] = findChild<QLabel *>(QLatin1String(info.valueLabel));
            m_valueLabels[std::size_t(slot)]->installEventFilter(labelEditor);
            slider->installEventFilter(steps);
            connect(slider, &QAbstractSlider::valueChanged, this, [this, slot](int value) { controlChanged(slot, value); });
            // A drag is one step of the history, however long it takes.
            connect(slider, &QAbstractSlider::sliderPressed, m_controller.get(), &HdrController::beginGesture);
            connect(slider, &QAbstractSlider::sliderReleased, m_controller.get(), &HdrController::endGesture);
        } else if (auto *chooser = qobject_cast<QComboBox *>(control)) {
            for (int row = 0; row < info.choiceCount; ++row)
                chooser->addItem(QString::fromLatin1(info.choices[row].name));
            connect(chooser, qOverload<int>(&QComboBox::currentIndexChanged), this,
                    [this, slot](int index) { controlChanged(slot, index); });
        } else if (auto *box = qobject_cast<QCheckBox *>(control)) {
            connect(box, &QCheckBox::stateChanged, this,
                    [this, slot](int state) { controlChanged(slot, state == Qt::Unchecked ? 0 : 1); });
        } else if (auto *group = qobject_cast<QGroupBox *>(control)) {
            connect(group, &QGroupBox::clicked, this, [this, slot](bool on) { controlChanged(slot, on ? 1 : 0); });
        }
    }
}

void HDRParameterDialog::controlChanged(int slot, int value)
{
    if (!m_showing)
        m_controller->setParameter(slot, value);
}

void HDRParameterDialog::showParameter(int slot, int value)
{
    QWidget *control = m_controls[std::size_t(slot)];
    m_showing = true;
    if (auto *slider = qobject_cast<QAbstractSlider *>(control))
        slider->setValue(value);
    else if (auto *chooser = qobject_cast<QComboBox *>(control))
        chooser->setCurrentIndex(value);
    else if (auto *box = qobject_cast<QCheckBox *>(control))
        box->setCheckState(value ? Qt::Checked : Qt::Unchecked);
    else if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setChecked(value != 0);
    m_showing = false;
    if (QLabel *label = m_valueLabels[std::size_t(slot)])
        label->setText(PC::labelText(slot, value));
}

void HDRParameterDialog::showChannels()
{
    QComboBox *chooser = ui->currentChannelComboBox;
    m_showing = true;
    chooser->clear();
    for (const HdrController::Channel &channel : m_controller->channels())
        chooser->addItem(channel.text, channel.channel);
    chooser->setCurrentIndex(m_controller->channelIndex());
    m_showing = false;
}

void HDRParameterDialog::showDevices()
{
    QComboBox *chooser = ui->currentPrismoChoiceComboBox;
    const QList<DeviceEntry> &entries = m_controller->devices().entries();
    m_showing = true;
    bool sameList = chooser->count() == entries.size();
    for (int i = 0; sameList && i < entries.size(); ++i)
        sameList = chooser->itemText(i) == entries[i].hostName && chooser->itemData(i).toString() == entries[i].ipAddress;
    if (!sameList) {
        chooser->clear();
        for (const DeviceEntry &entry : entries)
            chooser->addItem(entry.hostName, entry.ipAddress);
    }
    for (int i = 0; i < entries.size(); ++i) {
        const QString state = m_controller->unitState(entries[i].ipAddress);
        // Each state's dot is drawn once: a new icon at every refresh would
        // add a new entry to Qt's pixmap cache each time it is painted.
        if (!m_stateIcons.contains(state))
            m_stateIcons.insert(state, stateIcon(state));
        chooser->setItemIcon(i, m_stateIcons.value(state));
        chooser->setItemData(i, state.isEmpty() ? QString() : entries[i].hostName + QStringLiteral(": ") + state,
                             Qt::ToolTipRole);
    }
    const int current = m_controller->devices().currentIndex();
    chooser->setCurrentIndex(current >= 0 ? current : (entries.isEmpty() ? -1 : 0));
    m_showing = false;
}

void HDRParameterDialog::showGang()
{
    ui->currentPrismoLabel->setText(m_controller->gang().label());
    ui->currentPrismoChoiceComboBox->setToolTip(m_controller->gang().toolTip());
}

void HDRParameterDialog::createPanel(quint16 hubPort)
{
    panel = std::make_unique<tangentWavePanel>(hubPort);
    m_panelController = std::make_unique<PanelController>(*m_controller, panel.get());
    connect(panel.get(), &tangentWavePanel::sig_encoder, m_panelController.get(), &PanelController::encoder);
    connect(panel.get(), &tangentWavePanel::sig_buttonDown, m_panelController.get(), &PanelController::buttonDown);
    // A hub that starts (again) greets the program: the panel shows the page at once.
    connect(panel.get(), &tangentWavePanel::sig_hubGreeted, m_panelController.get(), &PanelController::showPage);
}

void HDRParameterDialog::prismoChanged(int newIndex)
{
    if (!m_showing)
        m_controller->selectDevice(newIndex);
}

void HDRParameterDialog::channelChanged(int newIndex)
{
    if (!m_showing)
        m_controller->selectChannel(newIndex);
}

void HDRParameterDialog::ipAddressEdited()
{
    m_controller->setAddress(ui->ipAddressLineEdit->displayText());
}

void HDRParameterDialog::resetValues()
{
    m_controller->resetValues();
}

void HDRParameterDialog::gangDialog()
{
    GangDialog dialog(m_controller->devices().entries(), this);
    dialog.setModal(true);
    if (ModalPrompt::exec(dialog) == QDialog::Accepted)
        m_controller->applyGangChoices(dialog.deviceList());
}

void HDRParameterDialog::slot_about()
{
    const QString version = programVersion.isEmpty() ? QStringLiteral("0.0.0 (devel)") : programVersion;
    TaviAboutBox box(this, QCoreApplication::applicationName(), QString(), version,
                     QStringLiteral("Copyright (C) TAVI"), QString(),
                     QPixmap(QStringLiteral(":/resources/icons/prismorest.png")), TaviAboutBox::qtLicence,
                     QSize(0, 0));
    ModalPrompt::exec(box);
}

void HDRParameterDialog::createShortcuts()
{
    m_undoAction = new QAction(tr("Undo"), this);
    m_undoAction->setShortcuts(QKeySequence::Undo);
    connect(m_undoAction, &QAction::triggered, m_controller.get(), &HdrController::undo);
    m_redoAction = new QAction(tr("Redo"), this);
    m_redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(m_redoAction, &QAction::triggered, m_controller.get(), &HdrController::redo);
    auto *toggle = new QAction(tr("Toggle A/B"), this);
    toggle->setShortcut(QKeySequence(Qt::Key_Backslash));
    connect(toggle, &QAction::triggered, m_controller.get(), &HdrController::toggleLooks);
    for (QAction *action : {m_undoAction, m_redoAction, toggle}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
}

void HDRParameterDialog::showLooks()
{
    const HdrController &c = *m_controller;
    m_undoAction->setEnabled(c.undoSteps() > 0);
    m_redoAction->setEnabled(c.redoSteps() > 0);
    const AbMemory::Which live = c.liveLook();
    ui->abToggleButton->setEnabled(c.hasLook(AbMemory::Which::A) && c.hasLook(AbMemory::Which::B));
    QString state;
    if (live != AbMemory::Which::None)
        state = tr("%1 live").arg(AbMemory::name(live)) + (c.liveLookChanged() ? tr(", changed") : QString());
    ui->abStateLabel->setText(state);
}

void HDRParameterDialog::refuse(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    ModalPrompt::exec(box);
}

bool HDRParameterDialog::saveLook(const QString &path)
{
    LookFile::Contents contents;
    contents.look = m_controller->currentLook();
    contents.program = programVersion;
    contents.unit = m_controller->systemName();
    contents.channel = m_controller->channel();
    QString error;
    if (!LookFile::save(path, contents, error)) {
        refuse(tr("Save Look"), tr("The look could not be saved to %1: %2").arg(path, error));
        return false;
    }
    PrismoSettings::addRecentLook(path);
    return true;
}

bool HDRParameterDialog::loadLook(const QString &path)
{
    LookFile::Contents contents;
    QString error;
    if (LookFile::load(path, contents, error)) {
        PrismoSettings::addRecentLook(path);
        m_controller->applyLook(contents.look);
        return true;
    }
    refuse(tr("Load Look"), tr("The look %1 was not loaded; nothing was changed.\n%2").arg(path, error));
    return false;
}

void HDRParameterDialog::saveLookAs()
{
    QFileDialog dialog(this, tr("Save Look"), QString(), tr("Looks (*.json)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (ModalPrompt::exec(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        saveLook(dialog.selectedFiles().constFirst());
}

void HDRParameterDialog::loadLookFrom()
{
    QFileDialog dialog(this, tr("Load Look"), QString(), tr("Looks (*.json)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (ModalPrompt::exec(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        loadLook(dialog.selectedFiles().constFirst());
}

void HDRParameterDialog::copyChannel()
{
    const QVector<HdrController::CopyTarget> targets = m_controller->copyTargets();
    const auto unitName = [this](const QString &address) {
        for (const DeviceEntry &entry : m_controller->devices().entries())
            if (entry.ipAddress == address)
                return entry.hostName.trimmed();
        return address;
    };
    QStringList texts;
    for (const HdrController::CopyTarget &target : targets)
        texts << QStringLiteral("%1: %2").arg(unitName(target.address), PC::channelName(target.channel));
    CopyChannelDialog dialog(QStringLiteral("%1: %2").arg(unitName(m_controller->currentAddress()),
                                                        PC::channelName(m_controller->channel())),
                             texts, this);
    if (ModalPrompt::exec(dialog) != QDialog::Accepted)
        return;
    QVector<HdrController::CopyTarget> chosen;
    for (int index : dialog.chosen())
        chosen << targets[index];
    m_controller->copyChannel(chosen);
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
    menu->addAction(m_undoAction);
    menu->addAction(m_redoAction);
    const bool unit = m_controller->hasUnit();
    const auto add = [&](const QString &text, auto slot, bool enabled = true) {
        QAction *action = menu->addAction(text);
        action->setEnabled(enabled && unit);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(tr("Store as A"), [this] { m_controller->storeLook(AbMemory::Which::A); });
    add(tr("Store as B"), [this] { m_controller->storeLook(AbMemory::Which::B); });
    add(tr("Toggle A/B"), [this] { m_controller->toggleLooks(); },
        m_controller->hasLook(AbMemory::Which::A) && m_controller->hasLook(AbMemory::Which::B));
    menu->addSeparator();
    add(tr("Save Look..."), &HDRParameterDialog::saveLookAs);
    add(tr("Load Look..."), &HDRParameterDialog::loadLookFrom);
    QMenu *recent = menu->addMenu(tr("Recent Looks"));
    const QStringList paths = PrismoSettings::recentLooks();
    recent->setEnabled(unit && !paths.isEmpty());
    for (const QString &path : paths) {
        QAction *action = recent->addAction(QFileInfo(path).fileName());
        action->setToolTip(path);
        connect(action, &QAction::triggered, this, [this, path] { loadLook(path); });
    }
    add(tr("Copy Channel..."), &HDRParameterDialog::copyChannel, !m_controller->copyTargets().isEmpty());
    menu->addSeparator();
    QAction *aboutAction = menu->addAction(QStringLiteral("About %1...").arg(QCoreApplication::applicationName()));
    connect(aboutAction, &QAction::triggered, this, &HDRParameterDialog::slot_about);
    return menu;
}

void HDRParameterDialog::contextMenuEvent(QContextMenuEvent *event)
{
    createContextMenu()->exec(event->globalPos());
}
