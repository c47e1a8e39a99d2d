#include "hdrparameterdialog.h"

#include "adjustgrid.h"
#include "copychanneldialog.h"
#include "gangdialog.h"
#include "hdrcontroller.h"
#include "lookfile.h"
#include "modalprompt.h"
#include "prismosettings.h"
#include "slidersteps.h"
#include "taviaboutbox.h"
#include "ui_hdrparameterdialog.h"
#include "unitchooser.h"
#include "valuelabeleditor.h"

#include <QAbstractSlider>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <climits>
#include <cmath>

using PC = ParameterCatalogue;

namespace {
QIcon dot(const QColor &colour)
{
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

// The dots are drawn once: a large gang's list shows hundreds of them.
HDRParameterDialog::StateIcons::StateIcons()
    : answering(dot(QColor(80, 170, 80))), slow(dot(QColor(221, 186, 7))), notAnswering(dot(QColor(190, 50, 50)))
{
}

QIcon HDRParameterDialog::StateIcons::of(const QString &state) const
{
    if (state == QLatin1String("answering"))
        return answering;
    if (state == QLatin1String("slow") || state == QLatin1String("catching up"))
        return slow;
    if (state == QLatin1String("not answering"))
        return notAnswering;
    return QIcon();
}

HDRParameterDialog::HDRParameterDialog(HdrController &controller, const QString &programVersion,
                                       const QString &address, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::HDRParameterDialog>()), programVersion(programVersion),
      m_controller(controller)
{
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    ui->setupUi(this);
    bindControls();

    HdrController &c = m_controller;
    const UnitChooser &units = c.units();
    connect(&c, &HdrController::parameterChanged, this, &HDRParameterDialog::showParameter);
    connect(&units, &UnitChooser::titleChanged, this, &QWidget::setWindowTitle);
    connect(&units, &UnitChooser::channelsChanged, this, &HDRParameterDialog::showChannels);
    // A large gang coming up changes many units' states at once: the list is shown once for all of them.
    m_showDevices.setSingleShot(true);
    m_showDevices.setInterval(0);
    connect(&m_showDevices, &QTimer::timeout, this, &HDRParameterDialog::showDevices);
    connect(&units, &UnitChooser::devicesChanged, &m_showDevices, qOverload<>(&QTimer::start));
    connect(&units, &UnitChooser::gangChanged, this, &HDRParameterDialog::showGang);
    connect(&c, &HdrController::addressChosen, ui->ipAddressLineEdit, &QLineEdit::setText);
    connect(&c, &HdrController::looksChanged, this, &HDRParameterDialog::showLooks);
    connect(&c, &HdrController::channelRead, this, [this] {
        for (int slot = 0; slot < PC::SlotCount; ++slot) {
            if (m_controls[std::size_t(slot)])
                showParameter(slot, m_controller.value(slot));
        }
    });

    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    connect(ui->currentPrismoChoiceComboBox, indexChanged, this, &HDRParameterDialog::prismoChanged);
    connect(ui->currentChannelComboBox, indexChanged, this, &HDRParameterDialog::channelChanged);
    connect(ui->resetButton, &QPushButton::pressed, this, &HDRParameterDialog::resetValues);
    connect(ui->ipAddressLineEdit, &QLineEdit::editingFinished, this, &HDRParameterDialog::ipAddressEdited);
    connect(ui->abToggleButton, &QPushButton::clicked, this, [this] { submit(Input::Kind::ToggleLooks); });
    createShortcuts();

    ui->ipAddressLineEdit->setText(address);
    setWindowTitle(units.title());
    showGang();
    showLooks();
}

HDRParameterDialog::~HDRParameterDialog()
{
    // The base destructor hides the window, on which the address field
    // reports that editing finished; no slot of a half-destroyed window may run.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    disconnect(&m_controller, nullptr, this, nullptr);
    disconnect(&m_controller.units(), nullptr, this, nullptr);
}

QString HDRParameterDialog::address() const
{
    return ui->ipAddressLineEdit->text();
}

void HDRParameterDialog::submit(Input::Kind kind, int slot, int value)
{
    m_controller.submit(Input::of(kind, m_controller.current(), slot, value));
}

// The Adjust group's rows come from the parameter table, the other controls
// from the form; every control tells the controller what the user set.
void HDRParameterDialog::bindControls()
{
    const AdjustGrid::Rows grid = AdjustGrid::build(*ui->adjustGroupBox);
    auto *steps = new SliderSteps(this);
    auto *labelEditor = new ValueLabelEditor(this);
    connect(labelEditor, &ValueLabelEditor::valueTyped, this, [this](QLabel *label, double typed) {
        const auto found = std::find(m_valueLabels.cbegin(), m_valueLabels.cend(), label);
        if (found == m_valueLabels.cend())
            return;
        const int slot = int(found - m_valueLabels.cbegin());
        controlChanged(slot, int(qBound<double>(INT_MIN, std::round(PC::positionOf(slot, typed)), INT_MAX)));
        // The controller keeps a value within its range; the label shows what it kept.
        showParameter(slot, m_controller.value(slot));
    });
    for (const ParameterRow &info : ParameterTable::rows) {
        const int slot = info.slot;
        if (info.window == WindowPlace::None)
            continue;
        QWidget *control = info.window == WindowPlace::AdjustGroup ? grid[std::size_t(slot)].control
                                                                    : findChild<QWidget *>(QLatin1String(info.widget));
        Q_ASSERT(control);
        m_controls[std::size_t(slot)] = control;
        if (auto *slider = qobject_cast<QAbstractSlider *>(control)) {
            m_valueLabels[std::size_t(slot)] = grid[std::size_t(slot)].valueLabel;
            m_valueLabels[std::size_t(slot)]->installEventFilter(labelEditor);
            slider->installEventFilter(steps);
            connect(slider, &QAbstractSlider::valueChanged, this, [this, slot](int value) { controlChanged(slot, value); });
            // A drag is one step of the history, however long it takes.
            connect(slider, &QAbstractSlider::sliderPressed, this, [this] { submit(Input::Kind::BeginGesture); });
            connect(slider, &QAbstractSlider::sliderReleased, this, [this] { submit(Input::Kind::EndGesture); });
        } else if (auto *chooser = qobject_cast<QComboBox *>(control)) {
            chooser->addItems(PC::choiceNames(slot));
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

QAbstractSlider *HDRParameterDialog::slider(int slot) const
{
    return qobject_cast<QAbstractSlider *>(m_controls[std::size_t(slot)]);
}

QLabel *HDRParameterDialog::valueLabel(int slot) const
{
    return m_valueLabels[std::size_t(slot)];
}

void HDRParameterDialog::controlChanged(int slot, int value)
{
    if (!m_showing)
        submit(Input::Kind::Set, slot, value);
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
    for (const UnitChooser::Channel &channel : m_controller.units().channels())
        chooser->addItem(channel.text, channel.channel);
    chooser->setCurrentIndex(m_controller.units().channelIndex());
    m_showing = false;
}

void HDRParameterDialog::showDevices()
{
    QComboBox *chooser = ui->currentPrismoChoiceComboBox;
    const UnitChooser &units = m_controller.units();
    const QList<DeviceEntry> &entries = units.devices();
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
        const QString state = units.unitState(entries[i].ipAddress);
        chooser->setItemIcon(i, m_stateIcons.of(state));
        chooser->setItemData(i, state.isEmpty() ? QString() : entries[i].hostName + QStringLiteral(": ") + state,
                             Qt::ToolTipRole);
    }
    const int current = units.deviceIndex();
    chooser->setCurrentIndex(current >= 0 ? current : (entries.isEmpty() ? -1 : 0));
    m_showing = false;
}

void HDRParameterDialog::showGang()
{
    ui->currentPrismoLabel->setText(m_controller.units().gangLabel());
    ui->currentPrismoChoiceComboBox->setToolTip(m_controller.units().gangToolTip());
}

void HDRParameterDialog::prismoChanged(int newIndex)
{
    if (!m_showing && newIndex >= 0)
        m_controller.submit(Input::selectUnit(ui->currentPrismoChoiceComboBox->itemData(newIndex).toString()));
}

void HDRParameterDialog::channelChanged(int newIndex)
{
    if (!m_showing && newIndex >= 0)
        m_controller.submit(Input::selectChannel(ui->currentChannelComboBox->itemData(newIndex).toInt()));
}

void HDRParameterDialog::ipAddressEdited()
{
    m_controller.setAddress(ui->ipAddressLineEdit->displayText());
}

void HDRParameterDialog::resetValues()
{
    submit(Input::Kind::ResetAll);
}

void HDRParameterDialog::gangDialog()
{
    GangDialog dialog(m_controller.units().devices(), this);
    dialog.setModal(true);
    if (ModalPrompt::exec(dialog) == QDialog::Accepted)
        m_controller.applyGangChoices(dialog.deviceList());
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
    connect(m_undoAction, &QAction::triggered, this, [this] { submit(Input::Kind::Undo); });
    m_redoAction = new QAction(tr("Redo"), this);
    m_redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(m_redoAction, &QAction::triggered, this, [this] { submit(Input::Kind::Redo); });
    auto *toggle = new QAction(tr("Toggle A/B"), this);
    toggle->setShortcut(QKeySequence(Qt::Key_Backslash));
    connect(toggle, &QAction::triggered, this, [this] { submit(Input::Kind::ToggleLooks); });
    for (QAction *action : {m_undoAction, m_redoAction, toggle}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
}

void HDRParameterDialog::showLooks()
{
    const HdrController &c = m_controller;
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

bool HDRParameterDialog::saveLook(const QString &path, const std::optional<Target> &place)
{
    const Target source = place.value_or(m_controller.current());
    LookFile::Contents contents;
    contents.look = m_controller.look(source);
    contents.program = programVersion;
    contents.unit = m_controller.units().systemName();
    contents.channel = source.channel;
    QString error;
    if (!LookFile::save(path, contents, error)) {
        refuse(tr("Save Look"), tr("The look could not be saved to %1: %2").arg(path, error));
        return false;
    }
    PrismoSettings::addRecentLook(path);
    return true;
}

bool HDRParameterDialog::loadLook(const QString &path, const std::optional<Target> &place)
{
    LookFile::Contents contents;
    QString error;
    if (LookFile::load(path, contents, error)) {
        PrismoSettings::addRecentLook(path);
        Input recall = Input::of(Input::Kind::RecallLook, place.value_or(m_controller.current()));
        recall.look = contents.look;
        m_controller.submit(recall);
        return true;
    }
    refuse(tr("Load Look"), tr("The look %1 was not loaded; nothing was changed.\n%2").arg(path, error));
    return false;
}

// The file dialogs save and load the channel that was current when they opened.
void HDRParameterDialog::saveLookAs()
{
    const Target source = m_controller.current();
    QFileDialog dialog(this, tr("Save Look"), QString(), tr("Looks (*.json)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (ModalPrompt::exec(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        saveLook(dialog.selectedFiles().constFirst(), source);
}

void HDRParameterDialog::loadLookFrom()
{
    const Target target = m_controller.current();
    QFileDialog dialog(this, tr("Load Look"), QString(), tr("Looks (*.json)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (ModalPrompt::exec(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        loadLook(dialog.selectedFiles().constFirst(), target);
}

// The dialog copies the place its text names, whatever is chosen while it is open.
void HDRParameterDialog::copyChannel()
{
    const UnitChooser &units = m_controller.units();
    const Target source = m_controller.current();
    const QVector<Target> targets = units.copyTargets(source);
    const auto placeName = [&units](const Target &place) {
        QString unit = place.unit;
        for (const DeviceEntry &entry : units.devices()) {
            if (entry.ipAddress == place.unit)
                unit = entry.hostName.trimmed();
        }
        return QStringLiteral("%1: %2").arg(unit, PC::channelName(place.channel));
    };
    QStringList texts;
    for (const Target &target : targets)
        texts << placeName(target);
    CopyChannelDialog dialog(placeName(source), texts, this);
    if (ModalPrompt::exec(dialog) != QDialog::Accepted)
        return;
    Input copy = Input::of(Input::Kind::Copy, source);
    for (int index : dialog.chosen())
        copy.copyTo << targets[index];
    m_controller.submit(copy);
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
    const bool unit = m_controller.units().hasUnit();
    const auto add = [&](const QString &text, auto slot, bool enabled = true) {
        QAction *action = menu->addAction(text);
        action->setEnabled(enabled && unit);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(tr("Store as A"), [this] { submit(Input::Kind::StoreA); });
    add(tr("Store as B"), [this] { submit(Input::Kind::StoreB); });
    add(tr("Toggle A/B"), [this] { submit(Input::Kind::ToggleLooks); },
        m_controller.hasLook(AbMemory::Which::A) && m_controller.hasLook(AbMemory::Which::B));
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
    add(tr("Copy Channel..."), &HDRParameterDialog::copyChannel,
        !m_controller.units().copyTargets(m_controller.current()).isEmpty());
    add(tr("Match ganged units"), [this] { submit(Input::Kind::MatchGang); }, m_controller.units().gangSize() > 0);
    menu->addSeparator();
    QAction *aboutAction = menu->addAction(QStringLiteral("About %1...").arg(QCoreApplication::applicationName()));
    connect(aboutAction, &QAction::triggered, this, &HDRParameterDialog::slot_about);
    return menu;
}

void HDRParameterDialog::contextMenuEvent(QContextMenuEvent *event)
{
    createContextMenu()->exec(event->globalPos());
}
