#pragma once

#include <QStyledItemDelegate>

class QComboBox;

// Paints the rows of a TaviComboBox popup: a check mark at the current item,
// heading rows ("-Name-", not enabled) and separator rows.
class TaviComboBoxItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // User data that marks a separator row.
    static constexpr int separatorData = 4242;

    explicit TaviComboBoxItemDelegate(QComboBox *comboBox);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QComboBox *m_comboBox;
};
