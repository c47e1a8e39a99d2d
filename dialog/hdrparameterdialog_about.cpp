#include "hdrparameterdialog.h"

#include "modalprompt.h"
#include "taviaboutbox.h"

#include <QCoreApplication>
#include <QPixmap>

void HDRParameterDialog::slot_about()
{
    const QString version = programVersion.isEmpty() ? QStringLiteral("0.0.0 (devel)") : programVersion;
    TaviAboutBox box(this, QCoreApplication::applicationName(), QString(), version,
                     QStringLiteral("Copyright (C) TAVI"), QString(),
                     QPixmap(QStringLiteral(":/resources/icons/prismorest.png")), TaviAboutBox::qtLicence,
                     QSize(0, 0));
    ModalPrompt::exec(box);
}
