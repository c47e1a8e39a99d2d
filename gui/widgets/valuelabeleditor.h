#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPointer>

// Lets a value label take a typed value: a double-click puts an editor over
// the label; Enter hands the number on (valueTyped), Escape or leaving the
// editor drops it. Installed on each label as an event filter.
class ValueLabelEditor : public QObject
{
    Q_OBJECT

public:
    explicit ValueLabelEditor(QObject *parent = nullptr);

    // The editor open now, if any.
    QLineEdit *editor() const { return m_editor; }

Q_SIGNALS:
    void valueTyped(QLabel *label, double value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open(QLabel *label);
    void close();

    QPointer<QLineEdit> m_editor;
    QPointer<QLabel> m_label;
};
