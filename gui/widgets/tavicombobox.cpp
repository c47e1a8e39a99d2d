#include "tavicombobox.h"

#include "tavicomboboxitemdelegate.h"
#include "tavicomboboxmodel.h"

#include <QHelpEvent>
#include <QListView>
#include <QToolTip>
#include <QWheelEvent>

TaviComboBox::TaviComboBox(QWidget *parent)
    : QComboBox(parent)
    , m_model(new TaviComboBoxModel(this))
{
    setModel(m_model);
    setView(new QListView(this));
    setItemDelegate(new TaviComboBoxItemDelegate(this));
    setMaxVisibleItems(100);
    setFocusPolicy(Qt::NoFocus);
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &TaviComboBox::indexHasChanged);
}

TaviComboBox::~TaviComboBox()
{
    clear();
}

void TaviComboBox::insertSeparatorRow(int index)
{
    insertItem(index, QIcon(), QString(), TaviComboBoxItemDelegate::separatorData);
}

bool TaviComboBox::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        // An empty text hides a tip that is showing; either way the request
        // ends here instead of reaching the window behind.
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), toolTip());
        return true;
    }
    return QComboBox::event(event);
}

void TaviComboBox::wheelEvent(QWheelEvent *event)
{
    // A scroll that carries on after the pointer has left must not change the choice.
    if (!rect().contains(event->position().toPoint())) {
        event->accept();
        return;
    }
    QComboBox::wheelEvent(event);
}

void TaviComboBox::indexHasChanged(int index)
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (QStandardItem *item = m_model->item(row)) {
            item->setCheckable(false);
            item->setCheckState(Qt::Unchecked);
        }
    }
    if (index >= 0 && index < m_model->rowCount()) {
        if (QStandardItem *item = m_model->item(index)) {
            item->setCheckable(true);
            item->setCheckState(Qt::Checked);
        }
    }
}
