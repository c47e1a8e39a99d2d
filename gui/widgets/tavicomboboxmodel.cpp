#include "tavicomboboxmodel.h"

TaviComboBoxModel::TaviComboBoxModel(QObject *parent)
    : QStandardItemModel(parent)
{
}

Qt::ItemFlags TaviComboBoxModel::flags(const QModelIndex &index) const
{
    const int row = index.row();
    if (row >= 0 && row < m_rowFlags.size())
        return m_rowFlags.at(row);
    return m_defaultFlags;
}

void TaviComboBoxModel::setRowFlags(int row, Qt::ItemFlags flags)
{
    if (row < 0)
        return;
    while (m_rowFlags.size() <= row)
        m_rowFlags.append(m_defaultFlags);
    m_rowFlags[row] = flags;
}
