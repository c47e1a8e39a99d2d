#include "displayview.h"

#include "hubdisplay.h"

#include <QFontDatabase>
#include <QPainter>

namespace {
constexpr int Margin = 6;
constexpr int Gap = 4;
} // namespace

DisplayView::DisplayView(QWidget *parent) : QWidget(parent)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(font.pointSize() + 3);
    setFont(font);
    for (int i = 0; i < HubDisplay::Lines; ++i)
        m_lines.append(QString(HubDisplay::Width, QLatin1Char(' ')));
}

void DisplayView::setLines(const QStringList &lines)
{
    m_lines = lines;
    update();
}

QSize DisplayView::cellSize() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(QLatin1Char('M')) * HubDisplay::CellWidth + 2 * Gap,
                 metrics.height() + 2 * Gap);
}

QSize DisplayView::sizeHint() const
{
    const QSize cell = cellSize();
    const int cells = HubDisplay::Width / HubDisplay::CellWidth;
    return QSize(cells * cell.width() + 2 * Margin, HubDisplay::Lines * cell.height() + 2 * Margin);
}

void DisplayView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(16, 22, 28));
    const QSize cell = cellSize();
    const int cells = HubDisplay::Width / HubDisplay::CellWidth;
    // Centred in whatever room the window gives.
    const QSize used = sizeHint();
    painter.translate(qMax(0, (width() - used.width()) / 2), qMax(0, (height() - used.height()) / 2));
    for (int line = 0; line < m_lines.size() && line < HubDisplay::Lines; ++line) {
        for (int column = 0; column < cells; ++column) {
            const QRect box(Margin + column * cell.width(), Margin + line * cell.height(), cell.width() - 1,
                            cell.height() - 1);
            painter.setPen(QColor(60, 80, 96));
            painter.drawRect(box);
            painter.setPen(QColor(170, 230, 255));
            const QString text = m_lines.at(line).mid(column * HubDisplay::CellWidth, HubDisplay::CellWidth);
            painter.drawText(box.adjusted(Gap, Gap, -Gap + 1, -Gap + 1), Qt::AlignLeft | Qt::AlignVCenter, text);
        }
    }
}
