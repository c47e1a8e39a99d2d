// Discovery: the units the current unit knows of fill the device chooser.
#include "hdrparameterdialog.h"

#include "discoveryreply.h"
#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <QDebug>

void HDRParameterDialog::discoverPrismosViaRest()
{
    if (!currentLink)
        return;
    std::string body;
    currentLink->GetParam("eParamID_NetworkServices", body, "json", TAVIRESTConfigControl::LongestServicesReply);

    DiscoveryReply reply;
    if (!reply.parse(QByteArray::fromStdString(body))) {
        qDebug() << "JSON ERROR" << reply.errorText << "offset=" << reply.errorOffset;
        qDebug() << reply.rewritten;
        return;
    }

    // The gang the user made stays with its units when another unit becomes
    // current; the names saved at the last exit apply to the first list.
    const QStringList gangNames = savedGangNames + gangedHostNames();
    deviceList = reply.entries;

    QComboBox *chooser = ui->currentPrismoChoiceComboBox;
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    disconnect(chooser, indexChanged, this, &HDRParameterDialog::prismoChanged);
    chooser->clear();
    int selected = 0;
    for (int i = 0; i < deviceList.size(); ++i) {
        DeviceEntry &entry = deviceList[i];
        chooser->addItem(entry.hostName, entry.ipAddress);
        if (entry.ipAddress == currentAddress) {
            entry.current = true;
            selected = i;
        } else {
            entry.ganged = gangNames.contains(entry.hostName);
        }
    }
    savedGangNames.clear();
    chooser->setCurrentIndex(selected);
    connect(chooser, indexChanged, this, &HDRParameterDialog::prismoChanged);

    showPanelPage(panelPage);
}
