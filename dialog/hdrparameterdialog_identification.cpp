// Identification: the address in the address field becomes the current unit.
#include "hdrparameterdialog.h"

#include "tavirestconfigcontrol.h"
#include "ui_hdrparameterdialog.h"

#include <algorithm>

namespace {
const char ProductId[] = "KVEL";

// The packed version: major, minor, point and build, one byte each, most
// significant first. A unit may send it as a signed or unsigned 32-bit number.
QString versionFromNumber(const QString &text)
{
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok, 10);
    const quint32 v = ok && number >= INT32_MIN && number <= UINT32_MAX ? static_cast<quint32>(number) : 0;
    return QStringLiteral(" version %1.%2.%3.%4")
        .arg((v >> 24) & 0xFF)
        .arg((v >> 16) & 0xFF)
        .arg((v >> 8) & 0xFF)
        .arg(v & 0xFF);
}
} // namespace

void HDRParameterDialog::dropCurrentLink()
{
    if (currentLink)
        currentLink->closeConnection();
    currentLink.reset();
    currentMissedWrites.clear();
}

// A unit that was off when it was chosen (at start-up, say) is taken up by
// itself once it answers.
bool HDRParameterDialog::retryIdentification()
{
    if (currentLink || unansweredAddress.isEmpty() || unansweredAddress != currentAddress || !identifyRetryAt.hasExpired())
        return false;
    changeCurrentDevice();
    return true;
}

void HDRParameterDialog::noteUnanswered()
{
    identifyRetryMs = unansweredAddress == currentAddress && identifyRetryMs > 0 ? std::min(2 * identifyRetryMs, 8000) : 1000;
    unansweredAddress = currentAddress;
    identifyRetryAt.setRemainingTime(identifyRetryMs);
}

void HDRParameterDialog::identifyDevice()
{
    systemName = QStringLiteral(" No Prismo Found");
    setWindowTitle(systemName);
    ui->currentPrismoChoiceComboBox->setToolTip(QStringLiteral("No Prismos Ganged. "));
    ui->currentPrismoLabel->setText(QStringLiteral("Current Prismo"));
    if (currentLink) {
        dropCurrentLink();
        currentAddress.clear();
    }

    currentAddress = ui->ipAddressLineEdit->displayText().simplified();
    currentLink = std::make_unique<TAVIRESTConfigControl>(currentAddress.toStdString(),
                                                          TAVIRESTConfigControl::devicePort(), "config");
    if (!currentLink->Connect()) {
        dropCurrentLink();
        noteUnanswered();
        return;
    }

    // Each read has its own text: a failed read shows nothing of another parameter.
    const auto read = [this](const char *name, bool *ok = nullptr) {
        std::string value;
        const bool answered = currentLink->GetParam(name, value, "text-plain");
        if (ok)
            *ok = answered;
        return QString::fromStdString(value);
    };
    bool productRead = false;
    const QString product = read("eParamID_ProductID", &productRead);
    if (!productRead) {
        // A unit that is still starting answers with an error: no refusal, it
        // is asked again like a unit that did not answer at all.
        dropCurrentLink();
        noteUnanswered();
        return;
    }
    unansweredAddress.clear();
    if (product != QLatin1String(ProductId)) {
        dropCurrentLink();
        currentAddress.clear();
        return;
    }

    const QString name = read("eParamID_SystemName");
    systemName = name.isEmpty() ? currentAddress : name;
    versionText = versionFromNumber(read("eParamID_SoftwareVersion"));
    setWindowTitle(QStringLiteral("%1     %2").arg(systemName, versionText));

    // The channel list is filled before any value is read, so the values
    // taken over are those of the channel that stays selected.
    const int mode = read("eParamID_ZyloMode").toInt();
    QComboBox *channels = ui->currentChannelComboBox;
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    disconnect(channels, indexChanged, this, &HDRParameterDialog::channelChanged);
    channels->clear();
    if (mode == 1) {
        for (int channel = 1; channel <= 4; ++channel)
            channels->addItem(QStringLiteral("Video %1").arg(channel), channel);
        channels->setCurrentIndex(0);
    } else if (mode == 2) {
        channels->addItem(QStringLiteral("4K/UHD"), 0);
    }
    connect(channels, indexChanged, this, &HDRParameterDialog::channelChanged);

    readChannel = -1; // nothing shown is this unit's yet
    channelChanged(0);
    applyStoredValues();
}
