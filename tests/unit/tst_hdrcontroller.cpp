#include "dialogfixture.h"
#include "scriptedserver.h"
#include "gangdialog.h"
#include "ui_gangdialog.h"
#include "ui_hdrparameterdialog.h"

#include <QtTest>

#include <atomic>

using Request = DialogFixture::Request;

namespace {
QStringList chooserTexts(const HDRParameterDialog &d)
{
    QStringList texts;
    for (int i = 0; i < d.form().currentPrismoChoiceComboBox->count(); ++i)
        texts << d.form().currentPrismoChoiceComboBox->itemText(i);
    return texts;
}

QStringList marked(const HDRParameterDialog &d, bool DeviceEntry::*mark)
{
    QStringList names;
    for (const DeviceEntry &e : d.devices()) {
        if (e.*mark)
            names << e.hostName;
    }
    return names;
}

int count(const QList<Request> &requests, const QString &name)
{
    return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const Request &r) { return r.name == name; }));
}

QStringList gangDialogItems(DialogFixture &f)
{
    QStringList items;
    f.editGang([&items](GangDialog &dialog) {
        QListWidget *list = dialog.form().gangListWidget;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "[x]" : "[ ]");
        return int(QDialog::Rejected);
    });
    return items;
}
} // namespace

// Many units: discovery, the gang and the settings that survive a restart.
class TestDeviceManagement : public QObject
{
    Q_OBJECT

private slots:
    void discoveryKeepsControlledUnitsInReplyOrder();
    void currentUnitSelectedAndNeverOffered();
    void failedDiscoveryKeepsList();
    void emptyListEmptiesChooser();
    void largeFacilityListedWhole();
    void savedGangMarksUnitsOnce_data();
    void savedGangMarksUnitsOnce();
    void gangOfTwoReachableUnits();
    void unreachableUnitStaysGanged();
    void unitsCatchUpOnMissedWrites_data();
    void unitsCatchUpOnMissedWrites();
    void refusedWriteIsNotRepeated();
    void gangDialogAppliesToTheListAsItIsNow();
    void savedGangOutlivesFailedDiscovery_data();
    void savedGangOutlivesFailedDiscovery();
    void cancelDiscardsClicks();
    void acceptWithoutChangesRebuilds();
    void gangFollowsChangeOfCurrentUnit();
    void settingsRoundTrip();
    void firstRun();
};

// Units of the controlled kind, in reply order; addresses without their
// blanks, host names with theirs.
void TestDeviceManagement::discoveryKeepsControlledUnitsInReplyOrder()
{
    RigConfig rig = DialogFixture::numberedRig(2);
    rig.otherServices << ServiceEntry{QStringLiteral("Prismo"), QStringLiteral("far away"), QStringLiteral(" 10.9.9.9  ")};
    DialogFixture f(rig);
    HDRParameterDialog &d = f.open(DialogFixture::address(1));
    QCOMPARE(chooserTexts(d), (QStringList{"prismo-1 ", "prismo-2 ", "far away "}));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->itemData(0).toString(), DialogFixture::address(0));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->itemData(2).toString(), QStringLiteral("10.9.9.9"));
    QCOMPARE(d.devices().size(), 3);
    QCOMPARE(d.devices()[0].deviceName, QStringLiteral("Prismo "));
    QCOMPARE(d.devices()[2].ipAddress, QStringLiteral("10.9.9.9"));
    // Filling the chooser did not make another unit current.
    QCOMPARE(count(f.gets(), "eParamID_ProductID"), 1);
    QCOMPARE(d.currentDeviceAddress(), DialogFixture::address(1));
}

void TestDeviceManagement::currentUnitSelectedAndNeverOffered()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(1));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->currentIndex(), 1);
    QCOMPARE(marked(d, &DeviceEntry::current), QStringList{"prismo-2 "});
    QCOMPARE(gangDialogItems(f), (QStringList{"prismo-1 [ ]", "prismo-3 [ ]"}));

    // Picking another unit makes it current and selects it.
    d.form().currentPrismoChoiceComboBox->setCurrentIndex(2);
    QCOMPARE(d.currentDeviceAddress(), DialogFixture::address(2));
    QCOMPARE(d.form().ipAddressLineEdit->text(), DialogFixture::address(2));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->currentIndex(), 2);
    QCOMPARE(marked(d, &DeviceEntry::current), QStringList{"prismo-3 "});
}

void TestDeviceManagement::failedDiscoveryKeepsList()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.setFaults(0, QStringLiteral("fail=eParamID_NetworkServices"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^JSON ERROR"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    QMetaObject::invokeMethod(&d, "discoverPrismosViaRest");
    QCOMPARE(chooserTexts(d), (QStringList{"prismo-1 ", "prismo-2 ", "prismo-3 "}));
    QCOMPARE(d.devices().size(), 3);
}

// A unit whose list of known units becomes empty: the chooser empties too,
// without another unit becoming current.
void TestDeviceManagement::emptyListEmptiesChooser()
{
    DialogFixture f;
    std::atomic<bool> emptyList{false};
    ScriptedServer unit([&emptyList](ScriptedServer::Connection &c, const std::string &request) {
        std::string body = "0";
        if (request.find("paramid=eParamID_ProductID&") != std::string::npos)
            body = "KVEL";
        else if (request.find("paramid=eParamID_ZyloMode&") != std::string::npos)
            body = "1";
        else if (request.find("paramid=eParamID_NetworkServices&") != std::string::npos)
            body = emptyList ? "{\"value\":\"[]\"}"
                             : "{\"value\":\"[{\\\"device_name\\\":\\\"Prismo\\\",\\\"host_name\\\":\\\"solo\\\","
                               "\\\"ip_address\\\":\\\"127.0.0.1\\\"}]\"}";
        c.send(ScriptedServer::unitReply(body));
    });
    qputenv("PRISMOLINK_DEVICE_PORT", QByteArray::number(unit.port()));
    HDRParameterDialog &d = f.open(QStringLiteral("127.0.0.1"));
    QCOMPARE(chooserTexts(d), QStringList{"solo "});
    emptyList = true;
    QMetaObject::invokeMethod(&d, "discoverPrismosViaRest");
    QCOMPARE(chooserTexts(d), QStringList());
    QVERIFY(d.devices().isEmpty());
    QCOMPARE(d.currentDeviceAddress(), QStringLiteral("127.0.0.1"));
    f.close();
}

// The list of a facility of 500 units more is far longer than any single
// value a unit sends, and is taken whole.
void TestDeviceManagement::largeFacilityListedWhole()
{
    RigConfig rig = DialogFixture::numberedRig(3);
    QStringList shown{"prismo-1 ", "prismo-2 ", "prismo-3 "};
    for (int i = 0; i < 500; ++i) {
        const QString host = QStringLiteral("facility-unit-%1").arg(i);
        rig.otherServices << ServiceEntry{QStringLiteral("Prismo"), host,
                                          QStringLiteral("127.2.%1.%2").arg(i / 250).arg(i % 250 + 1)};
        shown << host + ' ';
    }
    DialogFixture f(rig);
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    QCOMPARE(chooserTexts(d), shown);
}

void TestDeviceManagement::savedGangMarksUnitsOnce_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("ganged");

    QTest::newRow("two others") << 0 << QStringList{"prismo-2 ", "prismo-3 "} << QStringList{"prismo-2 ", "prismo-3 "};
    QTest::newRow("one is current") << 1 << QStringList{"prismo-2 ", "prismo-3 "} << QStringList{"prismo-3 "};
    QTest::newRow("name without its blank") << 0 << QStringList{"prismo-2"} << QStringList();
}

void TestDeviceManagement::savedGangMarksUnitsOnce()
{
    QFETCH(int, current);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, ganged);

    DialogFixture f;
    f.saveSettings(DialogFixture::address(current), saved);
    HDRParameterDialog &d = f.open(QString());
    QCOMPARE(marked(d, &DeviceEntry::ganged), ganged);
    QCOMPARE(d.gangLinkCount(), std::size_t(ganged.size()));

    // The saved names were used up: ungang everything, and a later
    // discovery marks nothing again.
    f.gang({});
    QMetaObject::invokeMethod(&d, "discoverPrismosViaRest");
    QCOMPARE(marked(d, &DeviceEntry::ganged), QStringList());
}

void TestDeviceManagement::gangOfTwoReachableUnits()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    QCOMPARE(d.form().currentPrismoLabel->text(), QStringLiteral("Current Prismo"));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->toolTip(), QStringLiteral("No Prismos Ganged. "));
    f.clearRequests();
    f.gang({"prismo-2 ", "prismo-3 "});

    QCOMPARE(d.form().currentPrismoLabel->text(), QStringLiteral("Current Prismo (ganged)"));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->toolTip(), QStringLiteral("Ganged Prismos:\n- prismo-2 \n- prismo-3 "));
    const QList<Request> sets = f.sets();
    QCOMPARE(sets.size(), 3 * 28);
    for (int i = 0; i < sets.size(); ++i)
        QCOMPARE(sets[i].address, DialogFixture::address(i % 3));
}

void TestDeviceManagement::unreachableUnitStaysGanged()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.rig().switchOff(2);
    f.gang({"prismo-2 ", "prismo-3 "});
    QCOMPARE(d.form().currentPrismoChoiceComboBox->toolTip(), QStringLiteral("Ganged Prismos:\n- prismo-2 "));
    QCOMPARE(gangDialogItems(f), (QStringList{"prismo-2 [x]", "prismo-3 [x]"}));
    f.close();
    QCOMPARE(f.storedGang(), (QStringList{"prismo-2 ", "prismo-3 "}));
}

void TestDeviceManagement::unitsCatchUpOnMissedWrites_data()
{
    QTest::addColumn<int>("off");
    QTest::addColumn<bool>("offAtStart");

    QTest::newRow("ganged unit off at start") << 1 << true;
    QTest::newRow("ganged unit off later") << 1 << false;
    // Read back before it caught up, its stale value would roll the gang back.
    QTest::newRow("current unit off later") << 0 << false;
}

// A unit that does not answer while the user adjusts gets the last value of
// everything it missed once it answers again, and the gang stays together.
void TestDeviceManagement::unitsCatchUpOnMissedWrites()
{
    QFETCH(int, off);
    QFETCH(bool, offAtStart);

    DialogFixture f;
    f.saveSettings(DialogFixture::address(0), {"prismo-2 "});
    if (offAtStart)
        f.rig().switchOff(off);
    HDRParameterDialog &d = f.open(QString());
    if (!offAtStart)
        f.rig().switchOff(off);
    for (int position : {1200, 1300, 1400})
        d.form().redGainSlider->setValue(position);
    d.form().tintSlider->setValue(250);
    QVERIFY(f.rig().switchOn(off));

    const auto red = [&f](int unit) { return f.rig().parameter(unit, "eParamID_Vid1ColorHDRGainRed"); };
    QTRY_VERIFY_WITH_TIMEOUT((f.readBack(), red(off) == std::optional<QByteArray>("1400")), 20000);
    f.readBack();
    for (int unit : {0, 1}) {
        QCOMPARE(red(unit), std::optional<QByteArray>("1400"));
        QCOMPARE(f.rig().parameter(unit, "eParamID_Vid1ColorHDRTint"), std::optional<QByteArray>("250"));
        for (int slot = 0; slot < ParameterCatalogue::SlotCount; ++slot) {
            const QByteArray name = ParameterCatalogue::parameterName(1, slot);
            QCOMPARE(f.rig().parameter(unit, name), f.rig().parameter(0, name));
        }
    }
    QCOMPARE(d.form().redGainSlider->value(), 1400);
    QCOMPARE(d.form().currentPrismoChoiceComboBox->toolTip(), QStringLiteral("Ganged Prismos:\n- prismo-2 "));
}

// A write the unit answered, even with an error, is not missed: it is not sent again.
void TestDeviceManagement::refusedWriteIsNotRepeated()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.gang({"prismo-2 "});
    f.setFaults(1, QStringLiteral("fail=eParamID_Vid1ColorHDRGainRed"));
    f.clearRequests();
    d.form().redGainSlider->setValue(1250);
    for (int i = 0; i < 3; ++i)
        f.readBack();
    QCOMPARE(count(f.sets(), "eParamID_Vid1ColorHDRGainRed"), 2);
}

// While the gang dialog is open the list can change (another unit made
// current from the panel): the choices apply to the list as it is when the
// dialog closes, and the current unit is never ganged.
void TestDeviceManagement::gangDialogAppliesToTheListAsItIsNow()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.gang({"prismo-2 ", "prismo-3 "});
    f.editGang([&d](GangDialog &) {
        d.form().currentPrismoChoiceComboBox->setCurrentIndex(1);
        return int(QDialog::Accepted);
    });
    QCOMPARE(d.currentDeviceAddress(), DialogFixture::address(1));
    QCOMPARE(marked(d, &DeviceEntry::ganged), QStringList{"prismo-3 "});
    f.clearRequests();
    d.form().masterGammaSlider->setValue(1333);
    QCOMPARE(DialogFixture::describe(f.sets()), (QStringList{"127.0.0.12 set eParamID_Vid1ColorHDRGammaMaster 1333",
                                                            "127.0.0.13 set eParamID_Vid1ColorHDRGammaMaster 1333"}));
    f.close();
    QCOMPARE(f.storedGang(), QStringList{"prismo-3 "});
}

void TestDeviceManagement::savedGangOutlivesFailedDiscovery_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("unganged");
    QTest::addColumn<QStringList>("stored");

    const QStringList two{"prismo-2 ", "prismo-3 "};
    QTest::newRow("current unit off") << "off" << two << QStringList() << two;
    QTest::newRow("list refused") << "fail=eParamID_NetworkServices" << two << QStringList() << two;
    QTest::newRow("unit not in the list") << "" << QStringList{"elsewhere ", "prismo-3 "} << QStringList()
                                          << QStringList{"prismo-3 ", "elsewhere "};
    QTest::newRow("user unganged one") << "" << QStringList{"elsewhere ", "prismo-3 "} << QStringList{"prismo-3 "}
                                       << QStringList{"elsewhere "};
}

// The saved gang is the user's: a discovery that fails, or a list without
// one of its units, does not erase it at exit; only the user ungangs.
void TestDeviceManagement::savedGangOutlivesFailedDiscovery()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, unganged);
    QFETCH(QStringList, stored);

    DialogFixture f;
    if (fault == QLatin1String("off"))
        f.rig().switchOff(0);
    else if (!fault.isEmpty())
        f.setFaults(0, fault);
    f.saveSettings(DialogFixture::address(0), saved);
    if (fault.startsWith("fail")) {
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^JSON ERROR"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    }
    f.open(QString());
    if (!unganged.isEmpty()) {
        QStringList keep = marked(f.dialog(), &DeviceEntry::ganged);
        for (const QString &name : unganged)
            keep.removeAll(name);
        f.gang(keep);
    }
    f.close();
    QCOMPARE(f.storedGang(), stored);
}

void TestDeviceManagement::cancelDiscardsClicks()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.gang({"prismo-2 "});
    f.clearRequests();
    const int result = f.editGang([](GangDialog &dialog) {
        dialog.form().gangListWidget->item(1)->setCheckState(Qt::Checked);
        dialog.form().gangListWidget->item(0)->setCheckState(Qt::Unchecked);
        return int(QDialog::Rejected);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(marked(d, &DeviceEntry::ganged), QStringList{"prismo-2 "});
    QCOMPARE(d.gangLinkCount(), std::size_t(1));
    QVERIFY(f.requests().isEmpty());
}

void TestDeviceManagement::acceptWithoutChangesRebuilds()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.gang({"prismo-2 "});
    f.clearRequests();
    f.editGang([](GangDialog &) { return int(QDialog::Accepted); });
    QCOMPARE(d.gangLinkCount(), std::size_t(1));
    QCOMPARE(f.sets().size(), 2 * 28);
}

// Another unit becoming current keeps the gang the user made; the new
// current unit leaves the gang and no longer receives the gang's writes.
void TestDeviceManagement::gangFollowsChangeOfCurrentUnit()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    f.gang({"prismo-2 ", "prismo-3 "});

    d.form().currentPrismoChoiceComboBox->setCurrentIndex(1);
    QCOMPARE(d.currentDeviceAddress(), DialogFixture::address(1));
    QCOMPARE(marked(d, &DeviceEntry::ganged), QStringList{"prismo-3 "});
    QCOMPARE(d.gangLinkCount(), std::size_t(1));
    QCOMPARE(d.form().currentPrismoChoiceComboBox->toolTip(), QStringLiteral("Ganged Prismos:\n- prismo-3 "));
    f.clearRequests();
    d.form().masterGammaSlider->setValue(1333);
    QCOMPARE(DialogFixture::describe(f.sets()), (QStringList{"127.0.0.12 set eParamID_Vid1ColorHDRGammaMaster 1333",
                                                            "127.0.0.13 set eParamID_Vid1ColorHDRGammaMaster 1333"}));

    // With the gang unchanged by the move, the links stay and so does the label.
    d.form().ipAddressLineEdit->setText(DialogFixture::address(0));
    QMetaObject::invokeMethod(&d, "ipAddressEdited");
    QCOMPARE(marked(d, &DeviceEntry::ganged), QStringList{"prismo-3 "});
    QCOMPARE(d.form().currentPrismoLabel->text(), QStringLiteral("Current Prismo (ganged)"));
    QCOMPARE(d.gangLinkCount(), std::size_t(1));
}

void TestDeviceManagement::settingsRoundTrip()
{
    DialogFixture f;
    f.saveSettings(QStringLiteral(" 127.0.0.11  "), {"prismo-3 "});
    HDRParameterDialog &d = f.open(QString());
    QCOMPARE(d.form().ipAddressLineEdit->text(), QStringLiteral(" 127.0.0.11  "));
    QCOMPARE(d.currentDeviceAddress(), DialogFixture::address(0));
    QCOMPARE(d.gangLinkCount(), std::size_t(1));
    f.gang({"prismo-2 ", "prismo-3 "});
    f.close();
    QCOMPARE(f.storedAddress(), QStringLiteral(" 127.0.0.11  "));
    QCOMPARE(f.storedGang(), (QStringList{"prismo-2 ", "prismo-3 "}));

    HDRParameterDialog &again = f.open(QString());
    QCOMPARE(marked(again, &DeviceEntry::ganged), (QStringList{"prismo-2 ", "prismo-3 "}));
    // The address is stored as typed, whether or not it was taken up.
    again.form().ipAddressLineEdit->setText(QStringLiteral("  127.0.0.12"));
    f.close();
    QCOMPARE(f.storedAddress(), QStringLiteral("  127.0.0.12"));
}

void TestDeviceManagement::firstRun()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(QString());
    QCOMPARE(d.form().ipAddressLineEdit->text(), QString());
    QVERIFY(!d.currentDeviceLink());
    QCOMPARE(d.gangLinkCount(), std::size_t(0));
    QVERIFY(f.requests().isEmpty());
    f.close();
    QCOMPARE(f.storedGang(), QStringList());
}

QTEST_MAIN(TestDeviceManagement)
#include "tst_devicemanagement.moc"
