#include "hubsimwindow.h"

#include "encoderknob.h"
#include "hubserver.h"
#include "ui_hubsimwindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

HubSimWindow::HubSimWindow(HubServer &server, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::HubSimWindow>()), m_server(server)
{
    ui->setupUi(this);

    for (int value : {1, 5, 10, 16, 20, 30, 40, 90, 120})
        ui->incrementComboBox->addItem(QString::number(value), value);
    ui->incrementComboBox->setCurrentIndex(ui->incrementComboBox->findData(20));
    for (int page = 0; page < PanelLayout::PageCount; ++page)
        ui->legendComboBox->addItem(PanelLayout::pageTitle(page));

    for (int id = 0; id < int(PanelLayout::ControlCount); ++id)
        addControl(id, id / 3, id % 3);

    auto *knob = new EncoderKnob(12, ui->pageGroupBox);
    connect(knob, &EncoderKnob::turned, this, [this](int id, int detents) {
        m_server.turnEncoder(quint32(id), detents * increment());
    });
    ui->pageLayout->addWidget(new QLabel(tr("Encoder 12"), ui->pageGroupBox));
    ui->pageLayout->addWidget(knob, 0, Qt::AlignHCenter);
    auto *pageButton = new QPushButton(tr("12: Next page"), ui->pageGroupBox);
    auto *resetButton = new QPushButton(tr("13: Reset all (press twice)"), ui->pageGroupBox);
    ui->pageLayout->addWidget(pageButton);
    ui->pageLayout->addWidget(resetButton);
    ui->pageLayout->addStretch();
    connect(pageButton, &QPushButton::pressed, this, [this] {
        m_server.buttonDown(PanelLayout::PageButton);
        ui->legendComboBox->setCurrentIndex(PanelLayout::nextPage(ui->legendComboBox->currentIndex()));
    });
    connect(pageButton, &QPushButton::released, this, [this] { m_server.buttonUp(PanelLayout::PageButton); });
    connect(resetButton, &QPushButton::pressed, this, [this] { m_server.buttonDown(PanelLayout::ResetAllButton); });
    connect(resetButton, &QPushButton::released, this, [this] { m_server.buttonUp(PanelLayout::ResetAllButton); });

    connect(ui->legendComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this, &HubSimWindow::showLegend);
    connect(ui->greetButton, &QPushButton::clicked, &m_server, &HubServer::greet);
    connect(ui->refreshButton, &QPushButton::clicked, this, [this] { m_server.requestRefresh(m_server.panelId()); });
    connect(ui->dropButton, &QPushButton::clicked, &m_server, &HubServer::dropClient);
    connect(&m_server, &HubServer::displayChanged, this, &HubSimWindow::updateDisplay);
    connect(&m_server, &HubServer::clientConnected, this, &HubSimWindow::updateStatus);
    connect(&m_server, &HubServer::clientDisconnected, this, &HubSimWindow::updateStatus);
    connect(&m_server, &HubServer::programAnnounced, this, &HubSimWindow::updateStatus);
    connect(&m_server, &HubServer::logMessage, ui->logView, &QPlainTextEdit::appendPlainText);

    showLegend(0);
    updateStatus();
    updateDisplay();
}

HubSimWindow::~HubSimWindow() = default;

float HubSimWindow::increment() const
{
    return ui->incrementComboBox->currentData().toFloat();
}

void HubSimWindow::addControl(int id, int row, int column)
{
    auto *cell = new QWidget(ui->controlsGroupBox);
    auto *cellLayout = new QVBoxLayout(cell);
    cellLayout->setContentsMargins(2, 2, 2, 2);
    m_captions[id] = new QLabel(cell);
    m_captions[id]->setAlignment(Qt::AlignHCenter);
    auto *knob = new EncoderKnob(id, cell);
    m_buttons[id] = new QPushButton(cell);
    cellLayout->addWidget(m_captions[id]);
    cellLayout->addWidget(knob, 0, Qt::AlignHCenter);
    cellLayout->addWidget(m_buttons[id]);
    ui->controlsGrid->addWidget(cell, row, column);

    connect(knob, &EncoderKnob::turned, this, [this](int encoder, int detents) {
        m_server.turnEncoder(quint32(encoder), detents * increment());
    });
    connect(m_buttons[id], &QPushButton::pressed, this, [this, id] { m_server.buttonDown(quint32(id)); });
    connect(m_buttons[id], &QPushButton::released, this, [this, id] { m_server.buttonUp(quint32(id)); });
}

void HubSimWindow::showLegend(int page)
{
    for (quint32 id = 0; id < PanelLayout::ControlCount; ++id) {
        const QString caption = PanelLayout::caption(page, id);
        QString button;
        switch (PanelLayout::press(page, id)) {
        case PanelLayout::Press::Reset:
            button = tr("Reset");
            break;
        case PanelLayout::Press::Toggle:
            button = tr("Toggle");
            break;
        case PanelLayout::Press::Commit:
            button = tr("Set");
            break;
        case PanelLayout::Press::None:
            break;
        }
        m_captions[id]->setText(caption.isEmpty() ? QStringLiteral("-") : caption);
        m_buttons[id]->setText(QStringLiteral("%1%2").arg(id).arg(button.isEmpty() ? QString() : QStringLiteral(": ") + button));
    }
}

void HubSimWindow::updateStatus()
{
    QString text = tr("Hub on 127.0.0.1:%1 - ").arg(m_server.port());
    if (!m_server.hasClient())
        text += tr("waiting for the program");
    else if (m_server.applicationName().isEmpty())
        text += tr("program connected, greeted");
    else
        text += tr("program \"%1\" connected").arg(m_server.applicationName());
    ui->statusLabel->setText(text);
}

void HubSimWindow::updateDisplay()
{
    QStringList lines;
    for (int line = 0; line < HubDisplay::Lines; ++line)
        lines.append(m_server.display().line(line));
    ui->displayView->setLines(lines);
}
