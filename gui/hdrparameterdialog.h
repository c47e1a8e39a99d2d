#pragma once

#include "input.h"
#include "parametercatalogue.h"

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>

class HdrController;
class QAbstractSlider;
class QAction;
class QLabel;
class QMenu;
namespace Ui {
class HDRParameterDialog;
}

// The program's one window: a view over the controller. Its controls set the
// parameters of the current channel, and show them as the controller
// (which follows the current unit) has them; the address field, the device
// and channel choosers and the gang dialog choose what is adjusted.
class HDRParameterDialog : public QDialog
{
    Q_OBJECT

public:
    // The address field starts with `address`, as the user left it.
    HDRParameterDialog(HdrController &controller, const QString &programVersion, const QString &address,
                       QWidget *parent = nullptr);
    ~HDRParameterDialog() override;

    const Ui::HDRParameterDialog &form() const { return *ui; }
    HdrController &controller() const { return m_controller; }
    // What the address field holds, as it is saved at the end.
    QString address() const;
    // A slider of the Adjust group and its value label; nullptr for a slot that has none.
    QAbstractSlider *slider(int slot) const;
    QLabel *valueLabel(int slot) const;

    // The right-click menu, built afresh each time it is shown.
    std::unique_ptr<QMenu> createContextMenu();

    // Saves a channel's look (the current one's unless named) to a file;
    // false (and a message) on failure.
    bool saveLook(const QString &path, const std::optional<Target> &place = std::nullopt);
    // Loads a look file and puts it on a channel (the current one unless
    // named) of the current unit and the gang; a file that cannot be used is
    // refused with a message and nothing is written.
    bool loadLook(const QString &path, const std::optional<Target> &place = std::nullopt);

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
    // An input aimed at the current channel of the current unit.
    void submit(Input::Kind kind, int slot = -1, int value = 0);
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
    HdrController &m_controller;
    std::array<QWidget *, ParameterCatalogue::SlotCount> m_controls{};
    std::array<QLabel *, ParameterCatalogue::SlotCount> m_valueLabels{};
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    // A small coloured dot for a unit's state in the device list.
    struct StateIcons
    {
        StateIcons();
        QIcon of(const QString &state) const;
        QIcon answering, slow, notAnswering;
    };
    const StateIcons m_stateIcons;
    QTimer m_showDevices;
    // While the window shows what the controller has, its controls' signals
    // are not taken for the user's changes.
    bool m_showing = false;
};
