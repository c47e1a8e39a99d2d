#pragma once

#include <QStringList>
#include <QWidget>

// Shows the panel display: 5 lines of 32 characters in a monospaced font,
// each line drawn as 4 framed cells of 8 characters.
class DisplayView : public QWidget
{
    Q_OBJECT

public:
    explicit DisplayView(QWidget *parent = nullptr);

    void setLines(const QStringList &lines);
    QStringList lines() const { return m_lines; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize cellSize() const;

    QStringList m_lines;
};
