#pragma once

#include "chooserstepper.h"
#include "encoderaccumulator.h"
#include "tangentwavedisplay.h"

#include <QObject>
#include <QTimer>
#include <QVector>

class DisplaySink;
class HdrController;
class tangentWavePanel;

// The control panel's side of the program: its encoders and buttons act on
// the controller like the window's controls, page by page, and its display
// shows the pages' names and values as they change.
class PanelController : public QObject
{
    Q_OBJECT

public:
    static constexpr int ChooserTimeoutMs = 3000;
    static constexpr int DoublePressMs = 500;
    // The hold timer's ticks between two layouts of the page.
    static constexpr quint64 LayoutEveryTicks = 100;

    PanelController(HdrController &controller, DisplaySink *sink, QObject *parent = nullptr);
    // The panel of the Tangent Hub: its encoders and buttons come in, the display goes out.
    PanelController(HdrController &controller, tangentWavePanel &hub, QObject *parent = nullptr);

    int page() const { return m_page; }
    const tangentWaveDisplay &display() const { return m_display; }

public Q_SLOTS:
    void encoder(uint32_t encoderId, float delta);
    void buttonDown(uint32_t buttonId);
    // Lays out the current page again: when the hub greets the program, say.
    void showPage();

private:
    void showPanelPage(int page);
    void parameterChanged(int slot, int value);
    void written(const QVector<int> &writtenSlots);
    void stepChooser(PanelLayout::Chooser chooser, double step);
    void commit(PanelLayout::Chooser chooser);
    QStringList entryNames(PanelLayout::Chooser chooser) const;
    int currentIndex(PanelLayout::Chooser chooser) const;
    void chooserTimedOut();

    HdrController &m_controller;
    tangentWaveDisplay m_display;
    int m_page = 0;
    EncoderAccumulator m_encoderAccum; // increments of all encoders add up together
    ChooserStepper m_stepper;
    QTimer m_choiceTimer;
    QTimer m_resetArmTimer;
    bool m_resetArmed = false;
};
