#include "hubdisplay.h"

bool HubDisplay::write(quint32 line, quint32 x, const QByteArray &text)
{
    if (line >= quint32(Lines) || x >= quint32(Width))
        return false;
    const QString chars = QString::fromUtf8(text);
    const int count = qMin(chars.size(), Width - int(x));
    QString &target = m_lines[line];
    for (int i = 0; i < count; ++i) {
        const QChar c = chars.at(i);
        target[int(x) + i] = c.isPrint() ? c : QChar(u'?');
    }
    return true;
}

void HubDisplay::clear()
{
    for (QString &line : m_lines)
        line = QString(Width, QChar(u' '));
}

QString HubDisplay::line(int index) const
{
    return index >= 0 && index < Lines ? m_lines[index] : QString();
}

QString HubDisplay::dump() const
{
    QString out;
    for (const QString &line : m_lines)
        out += QLatin1Char('|') + line + QLatin1String("|\n");
    return out;
}
