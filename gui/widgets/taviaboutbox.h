#pragma once

#include <QDialog>
#include <QPair>
#include <QVector>

class QTextBrowser;

// The about dialog: icon, name, description, version, legal notice and the
// licences of the libraries the program uses.
class TaviAboutBox : public QDialog
{
    Q_OBJECT

public:
    // Options: add the licence entry of the Qt library.
    static constexpr int qtLicence = 1;

    // A null icon falls back to the nearest window icon; a 0 x 0 size to 385 x 445.
    TaviAboutBox(QWidget *parent, const QString &applicationName, const QString &description,
                 const QString &version, const QString &legalNotice, const QString &extra, const QPixmap &icon,
                 int options, const QSize &size);

    void addLicence(const QString &name, const QString &html);
    // The licences browser's content: each entry's name as a heading, then its text.
    QString licencesHtml() const;

public Q_SLOTS:
    int exec() override;

private:
    static QString qtLicenceHtml();

    QVector<QPair<QString, QString>> m_licences;
    QTextBrowser *m_licencesBrowser; // child of this dialog
};
