#pragma once

#include "chooserstepper.h"
#include "deviceentry.h"
#include "parametercatalogue.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QList>
#include <QStringList>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAbstractSlider;
class QComboBox;
class QLabel;
class QMenu;
class TAVIRESTConfigControl;
class tangentWaveDisplay;
class tangentWavePanel;
namespace Ui {
class HDRParameterDialog;
}

// The program's one window: adjusts the HDR processing of the current unit
// and of every ganged unit, and follows the current unit's own values.
class HDRParameterDialog : public QDialog
{
    Q_OBJECT

public:
    // The argument of a change pass that writes every parameter.
    static constexpr int forceAll = 0x7FFFFFFF;

    HDRParameterDialog(bool usePanel, const QString &programVersion, QWidget *parent = nullptr);
    ~HDRParameterDialog() override;

    const Ui::HDRParameterDialog &form() const { return *ui; }
    const QString &programVersionText() const { return programVersion; }
    TAVIRESTConfigControl *currentDeviceLink() const { return currentLink.get(); }
    const QString &currentDeviceAddress() const { return currentAddress; }
    const QList<DeviceEntry> &devices() const { return deviceList; }
    std::size_t gangLinkCount() const { return gangLinks.size(); }
    // The host names the gang is saved with: the ganged entries of the list
    // and the names of ganged units the list does not hold.
    QStringList gangNamesToSave() const;
    // The hold keeps the periodic read-back off while changes are coming.
    bool isRefreshHeld() const { return holdRefresh; }
    int holdTimerId() const { return holdTimer; }
    int currentPanelPage() const { return panelPage; }
    const tangentWaveDisplay *panelDisplay() const { return display.get(); }

    // The right-click menu, built afresh each time it is shown.
    std::unique_ptr<QMenu> createContextMenu();

protected:
    void timerEvent(QTimerEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private slots:
    void valueChanged(int newValue);
    void inDynRangeChanged(int newIndex);
    void outDynRangeChanged(int newIndex);
    void monDynRangeChanged(int newIndex);
    void prismoChanged(int newIndex);
    void channelChanged(int newIndex);
    void clampChanged(int newState);
    void resetValues();
    void adjustClicked(bool clicked);
    void gangDialog();
    void slot_encoder(uint32_t encoderId, float delta);
    void slot_buttonDown(uint32_t butonId);
    void slot_buttonUp(uint32_t buttonId);
    void slot_refreshMe();
    void slot_about();
    void ipAddressEdited();
    void discoverPrismosViaRest();
    void updateFromPrismo();

private:
    // What was last written to (or taken over from) the units, one record
    // for the whole window.
    struct SentValues
    {
        int inRow = 0;
        int outRow = 0;
        int monRow = 0;
        bool sdrPreview = false;
        bool adjust = false;
        bool p3Clamp = false;
        std::array<float, ParameterCatalogue::SlotCount> value{};
        // The control shows the current unit's own value of the channel, or
        // the user's: only such values are written by a forced pass. A failed
        // read, or a value outside a slider's range (shown at the nearer end),
        // leaves a control showing something the unit does not hold.
        std::array<bool, ParameterCatalogue::SlotCount> known{};
    };

    // catalogue
    void bindCatalogue();
    void fillChoosers();
    QAbstractSlider *slider(int slot) const { return sliders[static_cast<std::size_t>(slot)]; }
    int currentChannel() const;

    // changes
    void sendParameter(const QString &name, const QString &text);
    bool passChoice(int slot, int &stored, bool force, const QString &name);
    bool passSwitch(int slot, bool &stored, bool force, const QString &name);
    bool unchanged(int slot, bool same, bool force);
    void passSlider(int slot, bool force, const QString &name);
    void restartHold();
    void changeCurrentDevice();

    // read-back
    void applyStoredValues();
    bool catchUpCurrentUnit();
    void pollGangLinks();
    void setSliderConnections(bool connected);

    // identification
    void identifyDevice();
    void dropCurrentLink();
    void noteUnanswered();
    bool retryIdentification();

    // gang
    // A unit that receives the window's writes: its link, and the last value
    // of each parameter it missed while it did not answer.
    struct WriteTarget
    {
        QString hostName;
        std::unique_ptr<TAVIRESTConfigControl> link;
        std::map<std::string, std::string> missed;
        bool answering = false;

        void write(const std::string &parameter, const std::string &value);
        // Sends each missed parameter's last value; true when none is left.
        bool catchUp();
    };
    void rebuildGang();
    void keepGangAfterDeviceChange(const QStringList &gangedBefore);
    void applyGangMarks();
    void showGangState();
    QStringList gangedHostNames() const;

    // settings
    void loadSettings();
    void saveSettings();

    // panel
    void createPanel(bool usePanel);
    void showPanelPage(int page);
    void showPanelValue(int slot, float value);
    QComboBox *chooserWidget(int chooser) const;
    QStringList chooserEntryNames(int chooser) const;
    void stepChooser(int chooser, double step);
    void restartChoiceTimer();

    std::unique_ptr<Ui::HDRParameterDialog> ui;
    QString systemName;
    QString versionText;
    QString programVersion;
    std::unique_ptr<tangentWavePanel> panel;
    std::unique_ptr<tangentWaveDisplay> display;
    int panelPage = 0;
    std::unique_ptr<TAVIRESTConfigControl> currentLink;
    // What the current unit missed while it did not answer; sent before it is read again.
    std::map<std::string, std::string> currentMissedWrites;
    QString currentAddress;
    // An address that did not answer is tried again after a growing pause.
    QString unansweredAddress;
    int identifyRetryMs = 0;
    QDeadlineTimer identifyRetryAt;
    int holdTimer = 0;
    int choiceTimer = 0;
    bool holdRefresh = true;
    ChooserStepper chooserStepper; // which status-page chooser is stepped, and to where
    int resetArmTimer = 0;
    bool resetArmed = false;
    SentValues sentValues;
    int readChannel = -1; // the channel whose values the controls show
    QList<DeviceEntry> deviceList;
    // One per ganged unit of the list, answering or not.
    std::vector<WriteTarget> gangLinks;
    // The host names of the user's gang, kept while their units are not in the list.
    QStringList savedGangNames;

    std::array<QAbstractSlider *, ParameterCatalogue::SlotCount> sliders{};
    std::array<QLabel *, ParameterCatalogue::SlotCount> valueLabels{};
};
