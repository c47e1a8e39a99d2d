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
        }
    }
    // The gang stays with its units whichever unit is current, and names of
    // ganged units that this list lacks stay saved.
    applyGangMarks();
    chooser->setCurrentIndex(selected);
    connect(chooser, indexChanged, this, &HDRParameterDialog::prismoChanged);

    showPanelPage(panelPage);
}
