#include "valuelabeleditor.h"

#include <QDoubleValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

ValueLabelEditor::ValueLabelEditor(QObject *parent) : QObject(parent) {}

bool ValueLabelEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto *label = qobject_cast<QLabel *>(watched)) {
            open(label);
            return true;
        }
    }
    if (watched == m_editor && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return false;
}

void ValueLabelEditor::open(QLabel *label)
{
    close();
    if (!label->isEnabled())
        return;
    m_label = label;
    m_editor = new QLineEdit(label->text(), label->parentWidget());
    m_editor->setObjectName(QStringLiteral("valueEditor"));
    m_editor->setGeometry(label->geometry().adjusted(-6, -2, 6, 2));
    auto *validator = new QDoubleValidator(m_editor);
    validator->setLocale(QLocale::c());
    m_editor->setValidator(validator);
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::returnPressed, this, [this] {
        bool ok = false;
        const double value = QLocale::c().toDouble(m_editor->text(), &ok);
        QLabel *label = m_label;
        close();
        if (ok && label)
            Q_EMIT valueTyped(label, value);
    });
    connect(m_editor, &QLineEdit::editingFinished, this, &ValueLabelEditor::close);
    m_editor->selectAll();
    m_editor->show();
    m_editor->setFocus();
}

void ValueLabelEditor::close()
{
    // Hiding the editor takes its focus, which finishes its editing and
    // calls this again: let go of it first.
    QLineEdit *editor = m_editor;
    m_editor = nullptr;
    m_label = nullptr;
    if (editor) {
        editor->disconnect(this);
        editor->removeEventFilter(this);
        editor->hide();
        editor->deleteLater();
    }
}
