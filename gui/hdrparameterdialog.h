#pragma once

#include "parametercatalogue.h"
#include "ports.h"
#include "prismosettings.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QString>

#include <array>
#include <memory>

class HdrController;
class QAction;
class PanelController;
class QLabel;
class QMenu;
class tangentWavePanel;
namespace Ui {
class HDRParameterDialog;
}

// The program's one window: a view over the controller. Its controls set the
// parameters of the current channel, and show them as the controller
// (which follows the current unit) has them; the address field, the device
// and channel choosers and the gang dialog choose what is adjusted. With the
// panel flag the control panel drives the same controller.
class HDRParameterDialog : public QDialog
{
    Q_OBJECT

public:
    // The address and gang the user saved last.
    static PrismoSettings savedSettings();

    // The window starts on the address and gang of `saved`.
    HDRParameterDialog(bool usePanel, const QString &programVersion, const Ports &ports = Ports(),
                       const PrismoSettings &saved = savedSettings(), QWidget *parent = nullptr);
    ~HDRParameterDialog() override;

    const Ui::HDRParameterDialog &form() const { return *ui; }
    HdrController &controller() const { return *m_controller; }

    // The right-click menu, built afresh each time it is shown.
    std::unique_ptr<QMenu> createContextMenu();

    // Saves the current channel's look to a file; false (and a message) on failure.
    bool saveLook(const QString &path);
    // Loads a look file and puts it on the current channel of the current unit
    // and the gang; a file that cannot be used is refused with a message and
    // nothing is written.
    bool loadLook(const QString &path);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private slots:
    void prismoChanged(int newIndex);
    void channelChanged(int newIndex);
    void resetValues();
    void gangDialog();
    void slot_about();
    void ipAddressEdited();
    void saveLookAs();
    void loadLookFrom();
    void copyChannel();

private:
    void bindControls();
    void createPanel(quint16 hubPort);
    void controlChanged(int slot, int value);
    void showParameter(int slot, int value);
    void showChannels();
    void showDevices();
    void showGang();
    void showLooks();
    void refuse(const QString &title, const QString &text);
    void createShortcuts();

    std::unique_ptr<Ui::HDRParameterDialog> ui;
    QString programVersion;
    std::unique_ptr<HdrController> m_controller;
    std::unique_ptr<tangentWavePanel> panel;
    std::unique_ptr<PanelController> m_panelController;
    std::array<QWidget *, ParameterCatalogue::SlotCount> m_controls{};
    std::array<QLabel *, ParameterCatalogue::SlotCount> m_valueLabels{};
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    // While the window shows what the controller has, its controls' signals
    // are not taken for the user's changes.
    bool m_showing = false;
    QHash<QString, QIcon> m_stateIcons;
};
