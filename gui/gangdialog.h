#pragma once

#include "deviceentry.h"

#include <QDialog>
#include <QList>

#include <memory>

class QListWidgetItem;
namespace Ui {
class GangDialog;
}

// Lets the user mark which discovered units follow every adjustment. It
// edits its own copy of the device list; the caller takes it over on accept.
class GangDialog : public QDialog
{
    Q_OBJECT

public:
    GangDialog(const QList<DeviceEntry> &devices, QWidget *parent = nullptr);
    ~GangDialog() override;

    QList<DeviceEntry> deviceList() const { return m_devices; }
    const Ui::GangDialog &form() const { return *ui; }

private slots:
    void itemClicked(QListWidgetItem *item);

private:
    std::unique_ptr<Ui::GangDialog> ui;
    QList<DeviceEntry> m_devices;
};
