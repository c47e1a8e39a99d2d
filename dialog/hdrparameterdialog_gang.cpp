// The gang: units that receive every write besides the current unit.
#include "hdrparameterdialog.h"

#include "gangdialog.h"
#include "modalprompt.h"
#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <QDebug>

// A write that got no answer may not have reached the unit: its last value is
// kept and sent once the unit answers. A write the unit refused is not sent again.
void HDRParameterDialog::WriteTarget::write(const std::string &parameter, const std::string &value)
{
    link->ChangeParam(parameter, value);
    answering = link->answered();
    if (!answering) {
        missed[parameter] = value;
        return;
    }
    missed.erase(parameter);
    catchUp();
}

bool HDRParameterDialog::WriteTarget::catchUp()
{
    for (auto it = missed.begin(); it != missed.end();) {
        link->ChangeParam(it->first, it->second);
        if (!link->answered()) {
            answering = false;
            return false;
        }
        it = missed.erase(it);
    }
    return true;
}

QStringList HDRParameterDialog::gangedHostNames() const
{
    QStringList names;
    for (const DeviceEntry &entry : deviceList) {
        if (entry.ganged)
            names << entry.hostName;
    }
    return names;
}

QStringList HDRParameterDialog::gangNamesToSave() const
{
    QStringList names = gangedHostNames();
    for (const QString &name : savedGangNames) {
        if (!names.contains(name))
            names << name;
    }
    return names;
}

// The marks of the list follow the user's gang; the current unit is never ganged.
void HDRParameterDialog::applyGangMarks()
{
    for (DeviceEntry &entry : deviceList) {
        if (entry.current)
            savedGangNames.removeAll(entry.hostName);
    }
    for (DeviceEntry &entry : deviceList)
        entry.ganged = !entry.current && savedGangNames.contains(entry.hostName);
}

void HDRParameterDialog::gangDialog()
{
    GangDialog dialog(deviceList, this);
    dialog.setModal(true);
    if (ModalPrompt::exec(dialog) != QDialog::Accepted)
        return;
    // The list may have changed while the dialog was open (another unit made
    // current from the panel): the choices apply to the list as it is now.
    for (const DeviceEntry &edited : dialog.deviceList()) {
        if (edited.current)
            continue;
        savedGangNames.removeAll(edited.hostName);
        if (edited.ganged)
            savedGangNames << edited.hostName;
    }
    applyGangMarks();
    for (const DeviceEntry &entry : qAsConst(deviceList))
        qDebug() << entry.hostName << entry.ganged;
    rebuildGang();
}

// Every ganged unit of the list gets a link, also one that does not answer
// now: it is tried again with the link's back-off and catches up on the
// writes it missed once it answers.
void HDRParameterDialog::rebuildGang()
{
    for (const WriteTarget &target : gangLinks)
        target.link->closeConnection();
    gangLinks.clear();

    for (const DeviceEntry &entry : qAsConst(deviceList)) {
        if (!entry.ganged)
            continue;
        WriteTarget target;
        target.hostName = entry.hostName;
        target.link = std::make_unique<TAVIRESTConfigControl>(entry.ipAddress.toStdString(),
                                                              TAVIRESTConfigControl::devicePort(), "config");
        target.answering = target.link->Connect();
        gangLinks.push_back(std::move(target));
    }
    showGangState();
    if (!gangLinks.empty())
        valueChanged(forceAll);
}

// Label and tool tip name the ganged units that answer.
void HDRParameterDialog::showGangState()
{
    QString toolTip = QStringLiteral("Ganged Prismos:");
    bool any = false;
    for (const WriteTarget &target : gangLinks) {
        if (target.answering) {
            toolTip += QStringLiteral("\n- ") + target.hostName;
            any = true;
        }
    }
    if (!any) {
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
    for (DeviceEntry &entry : deviceList)
        entry.current = !currentAddress.isEmpty() && entry.ipAddress == currentAddress;
    applyGangMarks();
    if (gangedHostNames() != gangedBefore)
        rebuildGang();
    else
        showGangState();
}
