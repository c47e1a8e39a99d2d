#include "taviaboutbox.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QtMath>

namespace {
QString link(const QString &url, const QString &text)
{
    const QString style = QStringLiteral("color: %1;").arg(QColor(221, 186, 7).name());
    return QStringLiteral("<a style=\"%1\" href=\"%2\">%3</a>").arg(style, url, text);
}

QPixmap firstIcon(const QPixmap &given, const QWidget *box)
{
    if (!given.isNull())
        return given;
    QVector<QIcon> candidates;
    const QWidget *parent = box->parentWidget();
    if (parent) {
        candidates << parent->windowIcon();
        if (parent->parentWidget())
            candidates << parent->parentWidget()->windowIcon();
    }
    if (QApplication::activeWindow())
        candidates << QApplication::activeWindow()->windowIcon();
    candidates << QApplication::windowIcon() << box->windowIcon();
    for (const QIcon &icon : qAsConst(candidates)) {
        const QPixmap pixmap = icon.pixmap(48, 48);
        if (!pixmap.isNull())
            return pixmap;
    }
    return box->style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48);
}
} // namespace

TaviAboutBox::TaviAboutBox(QWidget *parent, const QString &applicationName, const QString &description,
                           const QString &version, const QString &legalNotice, const QString &extra,
                           const QPixmap &icon, int options, const QSize &size)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , m_licencesBrowser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("About %1").arg(applicationName));
    setToolTip(QString());
    resize(size.isEmpty() ? QSize(385, 445) : size);

    auto *title = new QLabel(applicationName, this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setTextFormat(Qt::PlainText);
    title->setStyleSheet(QStringLiteral("font-weight: bold;font-size: 16px;"));

    auto *descriptionBrowser = new QTextBrowser(this);
    descriptionBrowser->setObjectName(QStringLiteral("descriptionBrowser"));
    descriptionBrowser->setReadOnly(true);
    descriptionBrowser->setOpenExternalLinks(true);
    descriptionBrowser->setFrameShape(QFrame::NoFrame);
    descriptionBrowser->setStyleSheet(QStringLiteral(
        "QTextBrowser { background: transparent; border: none; padding: 0 15px; font-size: 14px; }"));
    descriptionBrowser->setHtml(description);
    descriptionBrowser->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    // Never taller than its text, so the licences get the rest of the box.
    connect(descriptionBrowser->document()->documentLayout(),
            &QAbstractTextDocumentLayout::documentSizeChanged, descriptionBrowser,
            [descriptionBrowser](const QSizeF &documentSize) {
                descriptionBrowser->setMaximumHeight(qCeil(documentSize.height()));
            });
    descriptionBrowser->setMaximumHeight(qCeil(descriptionBrowser->document()->size().height()));

    auto *versionLabel = new QLabel(QStringLiteral("Version %1").arg(version), this);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    versionLabel->setTextFormat(Qt::PlainText);
    versionLabel->setStyleSheet(QStringLiteral("font-size: 13px;"));

    QString notice = legalNotice;
    notice.replace(QLatin1String("(C)"), QString(QChar(0x00A9)));
    auto *legalLabel = new QLabel(notice, this);
    legalLabel->setObjectName(QStringLiteral("legalNoticeLabel"));
    auto *extraLabel = new QLabel(extra, this);
    extraLabel->setObjectName(QStringLiteral("extraLabel"));

    auto *iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("iconLabel"));
    iconLabel->setPixmap(firstIcon(icon, this).scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    m_licencesBrowser->setObjectName(QStringLiteral("licencesBrowser"));
    m_licencesBrowser->setOpenExternalLinks(true);

    auto *layout = new QVBoxLayout(this);
    layout->addSpacing(10);
    layout->addWidget(iconLabel, 0, Qt::AlignHCenter);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    if (!description.isEmpty())
        layout->addWidget(descriptionBrowser);
    else
        descriptionBrowser->hide();
    layout->addWidget(versionLabel, 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    const bool hasNotice = !notice.isEmpty();
    const bool hasExtra = !extra.isEmpty();
    if (hasNotice)
        layout->addWidget(legalLabel, 0, Qt::AlignHCenter);
    else
        legalLabel->hide();
    if (hasExtra)
        layout->addWidget(extraLabel, 0, Qt::AlignHCenter);
    else
        extraLabel->hide();
    if (hasNotice || hasExtra)
        layout->addSpacing(10);
    layout->addWidget(m_licencesBrowser, 1);

    if (options & qtLicence)
        addLicence(QStringLiteral("Qt"), qtLicenceHtml());
}

void TaviAboutBox::addLicence(const QString &name, const QString &html)
{
    m_licences.append({name, html});
}

QString TaviAboutBox::licencesHtml() const
{
    QString html;
    for (const auto &licence : m_licences)
        html += QStringLiteral("<h3><b>%1</b></h3>").arg(licence.first.toHtmlEscaped()) + licence.second;
    return html;
}

int TaviAboutBox::exec()
{
    m_licencesBrowser->setHtml(licencesHtml());
    return QDialog::exec();
}

QString TaviAboutBox::qtLicenceHtml()
{
    const auto location = [](QLibraryInfo::LibraryLocation which) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        return QLibraryInfo::path(which).toHtmlEscaped();
#else
        return QLibraryInfo::location(which).toHtmlEscaped();
#endif
    };
    const QStringList lines = {
        QStringLiteral("DebugBuild: ") + (QLibraryInfo::isDebugBuild() ? QStringLiteral("yes") : QStringLiteral("no")),
        QStringLiteral("PrefixPath: ") + location(QLibraryInfo::PrefixPath),
        QStringLiteral("BinariesPath: ") + location(QLibraryInfo::BinariesPath),
        QStringLiteral("LibrariesPath: ") + location(QLibraryInfo::LibrariesPath),
        QStringLiteral("PluginsPath: ") + location(QLibraryInfo::PluginsPath),
    };
    return QStringLiteral("This program uses the ")
           + link(QStringLiteral("https://www.qt.io/"), QStringLiteral("Qt Cross-platform library"))
           + QStringLiteral(" which is licensed under ")
           + link(QStringLiteral("https://www.gnu.org/licenses/lgpl-3.0.html"), QStringLiteral("LGPLv3"))
           + QStringLiteral("<br /><br />Version: ") + QString::fromLatin1(qVersion()) + QStringLiteral("<br />")
           + lines.join(QStringLiteral("<br />"));
}
