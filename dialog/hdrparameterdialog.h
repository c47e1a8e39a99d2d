#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class HDRParameterDialog;
}

// The program's one window: adjusts the HDR processing of the current unit
// and of every ganged unit.
class HDRParameterDialog : public QDialog
{
    Q_OBJECT

public:
    HDRParameterDialog(bool usePanel, const QString &programVersion, QWidget *parent = nullptr);
    ~HDRParameterDialog() override;

    const QString &programVersionText() const { return programVersion; }
    bool panelEnabled() const { return usePanel; }
    const Ui::HDRParameterDialog &form() const { return *ui; }

private Q_SLOTS:
    void slot_about();

private:
    std::unique_ptr<Ui::HDRParameterDialog> ui;
    bool usePanel;
    QString programVersion;
};
