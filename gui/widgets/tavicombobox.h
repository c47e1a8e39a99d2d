#pragma once

#include <QComboBox>

class TaviComboBoxModel;

// The program's chooser: marks its current item with a check mark, shows its
// own tool tip without passing the request on, ignores the wheel once the
// pointer has left it, and never takes keyboard focus.
class TaviComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit TaviComboBox(QWidget *parent = nullptr);
    ~TaviComboBox() override;

    TaviComboBoxModel *taviModel() const { return m_model; }

    // Inserts a row drawn as a thin line (empty text, separator user data).
    virtual void insertSeparatorRow(int index);

protected:
    bool event(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

protected Q_SLOTS:
    void indexHasChanged(int index);

private:
    TaviComboBoxModel *m_model; // child of this combo box
};
