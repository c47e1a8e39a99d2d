#include "dialogfixture.h"

#include "devicerequest.h"
#include "gangdialog.h"
#include "hdrcontroller.h"
#include "httptransport.h"
#include "modalprompt.h"
#include "prismosettings.h"
#include "ui_gangdialog.h"

#include <QListWidget>
#include <QMenu>
#include <QSettings>
#include <QTest>

#include <algorithm>

namespace {
RigConfig numberedRig()
{
    RigConfig rig;
    for (int n = 1; n <= 3; ++n)
        rig.units << UnitConfig::numbered(n);
    rig.units.back().channelMode = 2;
    rig.otherServices = {RigConfig::defaultOtherService()};
    return rig;
}
} // namespace

DialogFixture::DialogFixture()
    : m_settingsDir(std::make_unique<QTemporaryDir>()), m_rig(std::make_unique<SimulatorRig>(numberedRig()))
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    // A box the test does not answer itself is refused at once, never left waiting for a user.
    ModalPrompt::setHandler(ModalPrompt::answering(false));
    QString error;
    if (!m_rig->start(0, &error))
        qFatal("simulated units do not start: %s", qPrintable(error));
}

DialogFixture::~DialogFixture()
{
    m_parts.reset();
    m_rig->stop();
    ModalPrompt::setHandler({});
}

void DialogFixture::saveSettings(const QString &address, const QStringList &gang)
{
    PrismoSettings::openStore()->clear();
    PrismoSettings::save(address, gang);
}

HDRParameterDialog &DialogFixture::open(const QString &address, quint16 hubPort)
{
    m_parts.reset();
    if (!address.isNull())
        saveSettings(address);
    PrismoSettings saved;
    saved.load();
    m_parts = std::make_unique<ProgramParts>(HttpTransport::factory(m_rig->port()), hubPort, QStringLiteral("1.3"),
                                             saved.address, saved.gangNames);
    settle();
    return m_parts->window();
}

bool DialogFixture::settle(int timeoutMs)
{
    return QTest::qWaitFor([this] { return m_parts->controller().isSettled(); }, timeoutMs);
}

QStringList DialogFixture::sets() const
{
    QStringList result;
    for (const QString &line : m_rig->requestLog()) {
        // "<address> <request line>"
        const int space = line.indexOf(QLatin1Char(' '));
        DeviceRequest request;
        if (DeviceRequest::parseRequestLine(line.mid(space + 1).toLatin1(), request) &&
            request.queryItem("action") == "set")
            result << QStringLiteral("%1 %2 %3").arg(line.left(space), QString::fromLatin1(request.queryItem("paramid")),
                                                    QString::fromLatin1(request.queryItem("value")));
    }
    // Units are written in parallel: the order between units is not fixed.
    std::stable_sort(result.begin(), result.end(),
                     [](const QString &a, const QString &b) { return a.section(' ', 0, 0) < b.section(' ', 0, 0); });
    return result;
}

void DialogFixture::setFaults(int unit, const QString &faults)
{
    FaultSettings settings;
    if (!settings.apply(faults, nullptr))
        qFatal("bad fault settings: %s", qPrintable(faults));
    m_rig->setFaults(unit, settings);
}

void DialogFixture::trigger(const QString &text)
{
    const std::unique_ptr<QMenu> menu = m_parts->window().createContextMenu();
    const QList<QAction *> actions = menu->actions();
    const auto entry = std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text() == text; });
    QVERIFY2(entry != actions.end() && (*entry)->isEnabled(), qPrintable(text));
    (*entry)->trigger();
}

void DialogFixture::editGang(const std::function<int(GangDialog &)> &answer)
{
    ModalPrompt::setHandler([&](QDialog &dialog) { return answer(static_cast<GangDialog &>(dialog)); });
    trigger(QStringLiteral("Set Prismo Gang List"));
    ModalPrompt::setHandler(ModalPrompt::answering(false));
    settle();
}

void DialogFixture::gang(const QStringList &hostNames)
{
    editGang([&hostNames](GangDialog &dialog) {
        QListWidget *list = dialog.form().gangListWidget;
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(hostNames.contains(list->item(i)->text()) ? Qt::Checked : Qt::Unchecked);
        return int(QDialog::Accepted);
    });
}
