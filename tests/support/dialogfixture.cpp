#include "dialogfixture.h"

#include "gangdialog.h"
#include "modalprompt.h"
#include "ui_gangdialog.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QMenu>
#include <QSettings>
#include <QTimerEvent>
#include <QUrlQuery>

RigConfig DialogFixture::numberedRig(int units)
{
    RigConfig rig;
    for (int n = 1; n <= units; ++n) {
        rig.units << UnitConfig::numbered(n);
        if (n == 3)
            rig.units.back().channelMode = 2;
    }
    rig.otherServices = {RigConfig::defaultOtherService()};
    return rig;
}

DialogFixture::DialogFixture(RigConfig config)
    : m_settingsDir(std::make_unique<QTemporaryDir>())
    , m_rig(std::make_unique<SimulatorRig>(std::move(config)))
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    QString error;
    if (!m_rig->start(0, &error))
        qFatal("simulated units do not start: %s", qPrintable(error));
    qputenv("PRISMOLINK_DEVICE_PORT", QByteArray::number(m_rig->port()));
}

DialogFixture::~DialogFixture()
{
    m_dialog.reset();
    m_rig->stop();
    ModalPrompt::setHandler({});
}

void DialogFixture::saveSettings(const QString &address, const QStringList &gang)
{
    QSettings store(QStringLiteral("tavi"), QStringLiteral("PrismoRest"));
    store.clear();
    store.setValue(QStringLiteral("IPAddress"), address);
    store.beginWriteArray(QStringLiteral("GangPrismoNames"));
    for (int i = 0; i < gang.size(); ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("GangPrismoName"), gang[i]);
    }
    store.endArray();
    store.setValue(QStringLiteral("NumGangPrismos"), gang.size());
}

QString DialogFixture::storedAddress() const
{
    return QSettings(QStringLiteral("tavi"), QStringLiteral("PrismoRest")).value(QStringLiteral("IPAddress")).toString();
}

QStringList DialogFixture::storedGang() const
{
    QSettings store(QStringLiteral("tavi"), QStringLiteral("PrismoRest"));
    QStringList names;
    const int count = store.value(QStringLiteral("NumGangPrismos")).toInt();
    store.beginReadArray(QStringLiteral("GangPrismoNames"));
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        names << store.value(QStringLiteral("GangPrismoName")).toString();
    }
    store.endArray();
    return names;
}

HDRParameterDialog &DialogFixture::open(const QString &address, bool usePanel)
{
    m_dialog.reset();
    if (!address.isNull())
        saveSettings(address);
    m_dialog = std::make_unique<HDRParameterDialog>(usePanel, QStringLiteral("1.3"));
    return *m_dialog;
}

QList<DialogFixture::Request> DialogFixture::requests(const QString &action) const
{
    QList<Request> result;
    for (const QString &line : m_rig->requestLog()) {
        // "<address> GET /config?<query> HTTP/1.1"
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() < 3)
            continue;
        const QUrlQuery query(parts[2].section(QLatin1Char('?'), 1));
        Request r;
        r.address = parts[0];
        r.action = query.queryItemValue(QStringLiteral("action"));
        r.name = query.queryItemValue(QStringLiteral("paramid"));
        r.value = query.queryItemValue(r.action == QLatin1String("set") ? QStringLiteral("value") : QStringLiteral("alt"));
        if (action.isNull() || r.action == action)
            result << r;
    }
    return result;
}

QStringList DialogFixture::describe(const QList<Request> &requests)
{
    QStringList lines;
    for (const Request &r : requests)
        lines << QStringLiteral("%1 %2 %3 %4").arg(r.address, r.action, r.name, r.value);
    return lines;
}

void DialogFixture::setFaults(int unit, const QString &faults)
{
    FaultSettings settings;
    if (!settings.apply(faults, nullptr))
        qFatal("bad fault settings: %s", qPrintable(faults));
    m_rig->setFaults(unit, settings);
}

void DialogFixture::releaseHold()
{
    QTimerEvent tick(m_dialog->holdTimerId());
    QCoreApplication::sendEvent(m_dialog.get(), &tick);
}

void DialogFixture::readBack()
{
    releaseHold();
    QMetaObject::invokeMethod(m_dialog.get(), "updateFromPrismo");
}

int DialogFixture::editGang(const std::function<int(GangDialog &)> &answer)
{
    int result = -1;
    ModalPrompt::setHandler([&](QDialog &dialog) {
        result = answer(static_cast<GangDialog &>(dialog));
        return result;
    });
    const std::unique_ptr<QMenu> menu = m_dialog->createContextMenu();
    for (QAction *action : menu->actions()) {
        if (action->text() == QLatin1String("Set Prismo Gang List"))
            action->trigger();
    }
    ModalPrompt::setHandler({});
    return result;
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

QByteArray DialogFixture::vid(int channel, const char *suffix)
{
    return "eParamID_Vid" + QByteArray::number(channel) + suffix;
}
