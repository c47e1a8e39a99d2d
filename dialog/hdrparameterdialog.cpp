#include "hdrparameterdialog.h"

HDRParameterDialog::HDRParameterDialog(bool usePanel, const QString &programVersion, QWidget *parent)
    : QDialog(parent)
    , usePanel(usePanel)
    , programVersion(programVersion)
{
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
}

HDRParameterDialog::~HDRParameterDialog() = default;
