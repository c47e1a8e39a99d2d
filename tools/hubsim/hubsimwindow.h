#pragma once

#include "panellayout.h"

#include <QWidget>

#include <memory>

class HubServer;
class QLabel;
class QPushButton;

namespace Ui {
class HubSimWindow;
}

// The simulator's window: the panel display as the program writes it, the
// encoders 0 to 12 and buttons 0 to 13 laid out as the panel pages use them
// (encoder and button N share a column; page 0 is a grid of master, red,
// green, blue by lift, gamma, gain), an increment per detent, and the hub's log.
class HubSimWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HubSimWindow(HubServer &server, QWidget *parent = nullptr);
    ~HubSimWindow() override;

    float increment() const;

private:
    void addControl(int id, int row, int column);
    void showLegend(int page);
    void updateStatus();
    void updateDisplay();


    std::unique_ptr<Ui::HubSimWindow> ui;
    HubServer &m_server;
    QLabel *m_captions[PanelLayout::ControlCount] = {};
    QPushButton *m_buttons[PanelLayout::ControlCount] = {};
};
