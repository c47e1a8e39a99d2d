#include "hdrparameterdialog.h"

#include "ui_hdrparameterdialog.h"

HDRParameterDialog::HDRParameterDialog(bool usePanel, const QString &programVersion, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::HDRParameterDialog>())
    , usePanel(usePanel)
    , programVersion(programVersion)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
}

HDRParameterDialog::~HDRParameterDialog() = default;
