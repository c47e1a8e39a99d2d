// The gang: units that receive every write besides the current unit.
#include "hdrparameterdialog.h"

#include "gangdialog.h"
#include "modalprompt.h"
#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <QDebug>

QStringList HDRParameterDialog::gangedHostNames() const
{
    QStringList names;
    for (const DeviceEntry &entry : deviceList) {
        if (entry.ganged)
            names << entry.hostName;
    }
    return names;
}

void HDRParameterDialog::gangDialog()
{
    GangDialog dialog(deviceList, this);
    dialog.setModal(true);
    if (ModalPrompt::exec(dialog) != QDialog::Accepted)
        return;
    deviceList = dialog.deviceList();
    for (const DeviceEntry &entry : qAsConst(deviceList))
        qDebug() << entry.hostName << entry.ganged;
    rebuildGang();
}

void HDRParameterDialog::rebuildGang()
{
    for (const auto &link : gangLinks)
        link->closeConnection();
    gangLinks.clear();
    gangLinkHosts.clear();

    for (const DeviceEntry &entry : qAsConst(deviceList)) {
        if (!entry.ganged)
            continue;
        auto link = std::make_unique<TAVIRESTConfigControl>(entry.ipAddress.toStdString(),
                                                            TAVIRESTConfigControl::devicePort(), "config");
        if (link->Connect()) {
            gangLinks.push_back(std::move(link));
            gangLinkHosts << entry.hostName;
        }
    }
    showGangState();
    if (!gangLinks.empty())
        valueChanged(forceAll);
}

// Label and tool tip name the ganged units that have a link.
void HDRParameterDialog::showGangState()
{
    QString toolTip = QStringLiteral("Ganged Prismos:");
    for (const QString &host : qAsConst(gangLinkHosts))
        toolTip += QStringLiteral("\n- ") + host;
    if (gangLinks.empty()) {
        ui->currentPrismoLabel->setText(QStringLiteral("Current Prismo"));
        ui->currentPrismoChoiceComboBox->setToolTip(QStringLiteral("No Prismos Ganged. "));
    } else {
        ui->currentPrismoLabel->setText(QStringLiteral("Current Prismo (ganged)"));
        ui->currentPrismoChoiceComboBox->setToolTip(toolTip);
    }
}

// After another unit became current: the new current unit is never ganged,
// and the links follow the marks, so no write reaches a unit that left the gang.
void HDRParameterDialog::keepGangAfterDeviceChange(const QStringList &gangedBefore)
{
    for (DeviceEntry &entry : deviceList) {
        if (entry.ipAddress == currentAddress)
            entry.ganged = false;
    }
    if (gangedHostNames() != gangedBefore)
        rebuildGang();
    else
        showGangState();
}
