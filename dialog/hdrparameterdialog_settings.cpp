// Settings: the address and the gang survive a restart.
#include "hdrparameterdialog.h"

#include "prismosettings.h"
#include "ui_hdrparameterdialog.h"

#include <QSettings>

void HDRParameterDialog::loadSettings()
{
    QSettings store(QStringLiteral("tavi"), QStringLiteral("PrismoRest"));
    PrismoSettings settings;
    settings.load(store);
    ui->ipAddressLineEdit->setText(settings.address);
    savedGangNames = settings.gangNames;
}

void HDRParameterDialog::saveSettings()
{
    QSettings store(QStringLiteral("tavi"), QStringLiteral("PrismoRest"));
    PrismoSettings::save(store, ui->ipAddressLineEdit->text(), gangNamesToSave());
}
