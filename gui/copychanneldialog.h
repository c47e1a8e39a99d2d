#pragma once

#include <QDialog>
#include <QStringList>
#include <QVector>

#include <memory>

namespace Ui {
class CopyChannelDialog;
}

// Lets the user choose where the current channel's look is copied: other
// channels of the current unit, or channels of the ganged units. Each
// target is offered with a text; chosen() gives the indexes of the checked ones.
class CopyChannelDialog : public QDialog
{
    Q_OBJECT

public:
    CopyChannelDialog(const QString &source, const QStringList &targets, QWidget *parent = nullptr);
    ~CopyChannelDialog() override;

    QVector<int> chosen() const;
    const Ui::CopyChannelDialog &form() const { return *ui; }

private:
    std::unique_ptr<Ui::CopyChannelDialog> ui;
};
