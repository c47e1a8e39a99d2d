#include "hdrparameterdialog.h"
#include "modalprompt.h"
#include "taviaboutbox.h"

#include <QApplication>
#include <QLabel>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
QString labelText(const QDialog &box, const char *name)
{
    const auto *label = box.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

std::unique_ptr<TaviAboutBox> makeBox(const QString &legal = QString(), int options = 1)
{
    return std::make_unique<TaviAboutBox>(nullptr, QStringLiteral("Prismolink"), QString(), QStringLiteral("1.3"), legal,
                                          QString(), QPixmap(), options, QSize(0, 0));
}
} // namespace

class TestTaviAboutBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void legalNotice_data();
    void legalNotice();
    void licences();
    void execFillsLicences();
    void fromTheMainWindow_data();
    void fromTheMainWindow();
};

void TestTaviAboutBox::initTestCase()
{
    // The main window keeps its settings; keep a test run away from the user's.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setApplicationName(QStringLiteral("Prismolink"));
}

void TestTaviAboutBox::cleanup()
{
    ModalPrompt::setHandler({});
}

void TestTaviAboutBox::legalNotice_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("visible");

    QTest::newRow("twice") << "(C) a (C) b" << QString::fromUtf8("\u00a9 a \u00a9 b") << true;
    QTest::newRow("lower case stays") << "(c) TAVI" << "(c) TAVI" << true;
    QTest::newRow("none") << "" << "" << false;
}

void TestTaviAboutBox::legalNotice()
{
    QFETCH(QString, given);
    QFETCH(QString, shown);
    QFETCH(bool, visible);
    const auto box = makeBox(given);
    QCOMPARE(labelText(*box, "legalNoticeLabel"), shown);
    box->show();
    QCOMPARE(box->findChild<QLabel *>(QStringLiteral("legalNoticeLabel"))->isVisible(), visible);
    QVERIFY(box->findChild<QLabel *>(QStringLiteral("versionLabel"))->isVisible());
}

void TestTaviAboutBox::licences()
{
    QVERIFY(!makeBox(QString(), 0)->licencesHtml().contains(QLatin1String("<h3>")));
    const QString html = makeBox()->licencesHtml();
    QCOMPARE(html.count(QLatin1String("<h3>")), 1);
    QVERIFY(html.startsWith(QLatin1String("<h3><b>Qt</b></h3>This program uses the <a style=\"color: #ddba07;\" href=")));
    QVERIFY(html.contains(QLatin1String(">Qt Cross-platform library</a> which is licensed under <a style=\"color: #ddba07;\"")));
    QVERIFY(html.contains(QLatin1String(">LGPLv3</a><br /><br />Version: ") + QLatin1String(qVersion()) + "<br />DebugBuild: "));
    for (const char *line : {"<br />PrefixPath: ", "<br />BinariesPath: ", "<br />LibrariesPath: ", "<br />PluginsPath: "})
        QVERIFY2(html.contains(QLatin1String(line)), line);
    QVERIFY(!html.endsWith(QLatin1String("<br />")));
}

void TestTaviAboutBox::execFillsLicences()
{
    const auto box = makeBox();
    box->addLicence(QStringLiteral("Icons"), QStringLiteral("Drawn for this program."));
    const auto *browser = box->findChild<QTextBrowser *>(QStringLiteral("licencesBrowser"));
    QVERIFY(browser);
    QVERIFY(browser->toPlainText().isEmpty());

    QTimer::singleShot(0, box.get(), &QDialog::accept);
    QCOMPARE(box->exec(), int(QDialog::Accepted));
    const QString text = browser->toPlainText();
    QCOMPARE(text.count(QStringLiteral("Qt Cross-platform library")), 1);
    QVERIFY(text.indexOf(QLatin1String("Qt Cross-platform library")) < text.indexOf(QLatin1String("Icons")));
    QVERIFY(text.contains(QLatin1String("Drawn for this program.")));
}

void TestTaviAboutBox::fromTheMainWindow_data()
{
    QTest::addColumn<QString>("programVersion");
    QTest::addColumn<QString>("shown");

    QTest::newRow("version record") << "1.3" << "Version 1.3";
    QTest::newRow("no version record") << "" << "Version 0.0.0 (devel)";
}

void TestTaviAboutBox::fromTheMainWindow()
{
    QFETCH(QString, programVersion);
    QFETCH(QString, shown);

    HDRParameterDialog window(false, programVersion);
    int runs = 0;
    ModalPrompt::setHandler([&](QDialog &dialog) {
        ++runs;
        auto *box = qobject_cast<TaviAboutBox *>(&dialog);
        if (!box)
            return int(QDialog::Rejected);
        [&] {
            QCOMPARE(box->parentWidget(), &window);
            QCOMPARE(box->size(), QSize(385, 445));
            QCOMPARE(box->windowTitle(), QStringLiteral("About Prismolink"));
            QVERIFY(box->windowFlags().testFlag(Qt::Tool));
            QVERIFY(box->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            QVERIFY(!box->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
            QCOMPARE(labelText(*box, "titleLabel"), QStringLiteral("Prismolink"));
            QCOMPARE(labelText(*box, "versionLabel"), shown);
            QVERIFY(labelText(*box, "legalNoticeLabel").contains(QChar(0x00A9)));
            QCOMPARE(box->licencesHtml().count(QLatin1String("<h3><b>Qt</b></h3>")), 1);
            const QPixmap icon = box->findChild<QLabel *>(QStringLiteral("iconLabel"))->pixmap(Qt::ReturnByValue);
            QCOMPARE(icon.size(), QSize(48, 48));
        }();
        return int(QDialog::Accepted);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "slot_about"));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(runs, 1);
    // The box lives only while the slot runs.
    QVERIFY(window.findChildren<TaviAboutBox *>().isEmpty());
}

QTEST_MAIN(TestTaviAboutBox)
#include "tst_taviaboutbox.moc"
