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
    ui->legendComboBox->addItems({tr("Page 0: lift, gamma, gain"), tr("Page 1: HDR controls"),
                                  tr("Page 2: exposure and output"), tr("Page 3: status")});

    for (int id = 0; id < 12; ++id)
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
        m_server.buttonDown(PanelControlMap::PageButton);
        ui->legendComboBox->setCurrentIndex(PanelControlMap::nextPage(ui->legendComboBox->currentIndex()));
    });
    connect(pageButton, &QPushButton::released, this, [this] { m_server.buttonUp(PanelControlMap::PageButton); });
    connect(resetButton, &QPushButton::pressed, this, [this] { m_server.buttonDown(PanelControlMap::ResetAllButton); });
    connect(resetButton, &QPushButton::released, this, [this] { m_server.buttonUp(PanelControlMap::ResetAllButton); });

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

QString HubSimWindow::controlName(PanelControl control)
{
    switch (control) {
    case PanelControl::None: return QString();
    case PanelControl::MasterLift: return tr("Master Lift");
    case PanelControl::MasterGamma: return tr("Master Gamma");
    case PanelControl::MasterGain: return tr("Master Gain");
    case PanelControl::RedLift: return tr("Red Lift");
    case PanelControl::RedGamma: return tr("Red Gamma");
    case PanelControl::RedGain: return tr("Red Gain");
    case PanelControl::GreenLift: return tr("Green Lift");
    case PanelControl::GreenGamma: return tr("Green Gamma");
    case PanelControl::GreenGain: return tr("Green Gain");
    case PanelControl::BlueLift: return tr("Blue Lift");
    case PanelControl::BlueGamma: return tr("Blue Gamma");
    case PanelControl::BlueGain: return tr("Blue Gain");
    case PanelControl::HdrAmount: return tr("HDR Amount");
    case PanelControl::AmbLight: return tr("Amb Light");
    case PanelControl::LogLook: return tr("Log Look");
    case PanelControl::SdrSoftness: return tr("SDR Softness");
    case PanelControl::Saturation: return tr("Saturation");
    case PanelControl::Exposure: return tr("Exposure");
    case PanelControl::ColorTemp: return tr("Colour Temp");
    case PanelControl::Tint: return tr("Tint");
    case PanelControl::Bt2408: return tr("BT.2408");
    case PanelControl::PqNitLevel: return tr("PQ Nit Level");
    case PanelControl::SdrPreview: return tr("SDR Preview");
    case PanelControl::Adjust: return tr("Adjust");
    case PanelControl::P3Clamp: return tr("P3 Clamp");
    case PanelControl::DeviceChooser: return tr("Device");
    case PanelControl::ChannelChooser: return tr("Channel");
    case PanelControl::InRangeChooser: return tr("In Range");
    case PanelControl::OutRangeChooser: return tr("Out Range");
    case PanelControl::MonRangeChooser: return tr("Mon Range");
    }
    return QString();
}

void HubSimWindow::showLegend(int page)
{
    for (int id = 0; id < 12; ++id) {
        const PanelControl encoder = PanelControlMap::encoderControl(page, quint32(id));
        const PanelControlMap::ButtonAction action = PanelControlMap::buttonAction(page, quint32(id), true);
        QString caption = controlName(encoder);
        QString button;
        switch (action.kind) {
        case PanelControlMap::ButtonAction::ResetSlider:
            button = tr("Reset");
            break;
        case PanelControlMap::ButtonAction::Toggle:
            button = tr("Toggle");
            caption = controlName(action.control);
            break;
        case PanelControlMap::ButtonAction::Commit:
            button = tr("Set");
            break;
        default:
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
