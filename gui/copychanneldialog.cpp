#include "copychanneldialog.h"

#include "ui_copychanneldialog.h"

CopyChannelDialog::CopyChannelDialog(const QString &source, const QStringList &targets, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::CopyChannelDialog>())
{
    ui->setupUi(this);
    ui->sourceLabel->setText(tr("Copy the look of %1 to:").arg(source));
    for (const QString &target : targets) {
        auto *item = new QListWidgetItem(target, ui->targetListWidget);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

CopyChannelDialog::~CopyChannelDialog() = default;

QVector<int> CopyChannelDialog::chosen() const
{
    QVector<int> indexes;
    for (int i = 0; i < ui->targetListWidget->count(); ++i) {
        if (ui->targetListWidget->item(i)->checkState() == Qt::Checked)
            indexes << i;
    }
    return indexes;
}
