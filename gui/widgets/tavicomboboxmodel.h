#pragma once

#include <QStandardItemModel>
#include <QVector>

// The items of a TaviComboBox. Rows report the flags kept here (selectable
// and enabled unless a row is given others), whatever the items themselves
// carry, so a check state set on an item never makes it user-checkable.
class TaviComboBoxModel : public QStandardItemModel
{
    Q_OBJECT

public:
    explicit TaviComboBoxModel(QObject *parent = nullptr);

    Qt::ItemFlags flags(const QModelIndex &index) const override;
    virtual void setRowFlags(int row, Qt::ItemFlags flags);

private:
    Qt::ItemFlags m_defaultFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    QVector<Qt::ItemFlags> m_rowFlags;
};
