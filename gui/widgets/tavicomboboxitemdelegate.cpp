#include "tavicomboboxitemdelegate.h"

#include <QComboBox>
#include <QPainter>
#include <QStyle>

TaviComboBoxItemDelegate::TaviComboBoxItemDelegate(QComboBox *comboBox)
    : QStyledItemDelegate(comboBox)
    , m_comboBox(comboBox)
{
}

void TaviComboBoxItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    painter->save();

    const QString text = index.data(Qt::DisplayRole).toString();
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    const bool enabled = index.flags().testFlag(Qt::ItemIsEnabled);
    const QRect rect = option.rect;
    const QPalette &palette = option.palette;

    if (index.data(Qt::UserRole).toInt() == separatorData) {
        const int y = rect.top() + rect.height() / 2;
        painter->setPen(QColor(55, 60, 64));
        painter->drawLine(rect.left(), y, rect.right(), y);
    } else if (!enabled && text.startsWith(QLatin1Char('-')) && text.endsWith(QLatin1Char('-'))) {
        painter->setPen(palette.color(QPalette::Disabled, QPalette::Text));
        painter->drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, text);
    } else {
        QColor colour;
        if (option.state.testFlag(QStyle::State_Selected) && option.state.testFlag(QStyle::State_MouseOver)) {
            painter->fillRect(rect, palette.highlight());
            colour = palette.color(QPalette::HighlightedText);
        } else {
            colour = enabled ? palette.color(QPalette::Text) : palette.color(QPalette::Disabled, QPalette::Text);
        }

        if (checked) {
            QStyleOption mark(option);
            mark.rect = QRect(rect.left(), rect.top(), 20 - rect.left(), rect.height());
            mark.state = option.state | QStyle::State_On;
            mark.palette.setBrush(QPalette::Active, QPalette::Text, colour);
            m_comboBox->style()->drawPrimitive(QStyle::PE_IndicatorMenuCheckMark, &mark, painter, m_comboBox);
        }

        painter->setPen(colour);
        const QRect textRect(22, rect.top(), rect.right() - 22 + 1, rect.height());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }

    painter->restore();
}
