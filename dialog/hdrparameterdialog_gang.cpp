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
    gangMissedWrites.clear();

    for (const DeviceEntry &entry : qAsConst(deviceList)) {
        if (!entry.ganged)
            continue;
        auto link = std::make_unique<TAVIRESTConfigControl>(entry.ipAddress.toStdString(),
                                                            TAVIRESTConfigControl::devicePort(), "config");
        if (link->Connect()) {
            gangLinks.push_back(std::move(link));
            gangLinkHosts << entry.hostName;
            gangMissedWrites.emplace_back();
        }
    }
    showGangState();
    if (!gangLinks.empty())
        valueChanged(forceAll);
}

// A ganged unit that is off or stalls misses writes; without them it would
// silently drift from the rest of the gang once it is back.
void HDRParameterDialog::sendToGangLink(std::size_t index, const std::string &parameter, const std::string &value)
{
    std::map<std::string, std::string> &missed = gangMissedWrites[index];
    if (!gangLinks[index]->ChangeParam(parameter, value)) {
        missed[parameter] = value;
        return;
    }
    missed.erase(parameter);
    resendMissedWrites(index);
}

// Only what the window sent and the unit missed, each parameter's last value once.
void HDRParameterDialog::resendMissedWrites(std::size_t index)
{
    std::map<std::string, std::string> &missed = gangMissedWrites[index];
    for (auto it = missed.begin(); it != missed.end();) {
        if (gangLinks[index]->ChangeParam(it->first, it->second))
            it = missed.erase(it);
        else
            ++it;
    }
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
