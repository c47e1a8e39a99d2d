#include "gangdialog.h"

#include "ui_gangdialog.h"

GangDialog::GangDialog(const QList<DeviceEntry> &devices, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::GangDialog>())
    , m_devices(devices)
{
    ui->setupUi(this);
    for (const DeviceEntry &entry : qAsConst(m_devices)) {
        if (entry.current)
            continue;
        auto *item = new QListWidgetItem(entry.hostName, ui->gangListWidget);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.ganged ? Qt::Checked : Qt::Unchecked);
    }
    connect(ui->gangListWidget, &QListWidget::itemClicked, this, &GangDialog::itemClicked);
    // A check box toggled with the space bar counts like a click.
    connect(ui->gangListWidget, &QListWidget::itemChanged, this, &GangDialog::itemClicked);
}

GangDialog::~GangDialog() = default;

void GangDialog::itemClicked(QListWidgetItem *item)
{
    if (!item)
        return;
    const bool ganged = item->checkState() == Qt::Checked;
    for (DeviceEntry &entry : m_devices) {
        if (entry.hostName == item->text())
            entry.ganged = ganged;
    }
}
