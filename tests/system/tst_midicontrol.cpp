#include "deskcontroller.h"
#include "dialogfixture.h"
#include "hdrcontroller.h"
#include "midiencoding.h"
#include "midimapfile.h"
#include "midiremote.h"
#include "modalprompt.h"
#include "programprocess.h"
#include "simulatorrig.h"

#include <QAbstractSlider>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using PC = ParameterCatalogue;

namespace {
constexpr int Wait = 20000;

const char Map[] = R"({"version": 1, "controller": "Desk Controller", "mappings": [
    {"cc": 16, "parameter": "gain/red", "mode": "relative-twos"},
    {"cc": 7, "parameter": "saturation", "pickup": false},
    {"note": 36, "parameter": "sdr-preview"}
]})";

// A controller's value in the hex of a message's last byte.
QString shown(int slot, int value)
{
    return QStringLiteral("%1").arg(MidiEncoding::controlValue(slot, value, 127), 2, 16, QLatin1Char('0'));
}
} // namespace

// MIDI control end to end, carried by JACK's dummy back end: the program
// itself driven by a controller, and learning in the window.
class TestMidiControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controllerDrivesTheUnits();
    void learnInTheWindow();

private:
    std::unique_ptr<JackServer> m_jack;
};

void TestMidiControl::initTestCase()
{
    m_jack = std::make_unique<JackServer>();
    if (!m_jack->start())
        QSKIP("jackd -d dummy (Debian's jackd2) does not run here");
}

// The program with a mapping file and two units, one ganged: an encoder
// turned and a motor fader moved reach both units, a note toggles a switch,
// and the controller is shown every value, a change at the unit included,
// but not the fader's own.
void TestMidiControl::controllerDrivesTheUnits()
{
    RigConfig config;
    config.units << UnitConfig::numbered(1) << UnitConfig::numbered(2);
    SimulatorRig rig(config);
    QString error;
    QVERIFY2(rig.start(0, &error), qPrintable(error));
    ProgramProcess run(rig.port());
    QFile map(run.home.filePath(QStringLiteral("desk.json")));
    QVERIFY(map.open(QIODevice::WriteOnly) && map.write(Map) > 0);
    map.close();
    run.start(QStringLiteral(PRISMOLINK_BINARY), {QStringLiteral("-m"), QStringLiteral("--midi"), QStringLiteral("--midi-backend"),
                                                  QStringLiteral("jack"), QStringLiteral("--midi-map"), map.fileName()});
    QProcess &program = run.process;
    QVERIFY(program.waitForStarted());
    const auto controller = std::make_unique<DeskController>(RtMidi::UNIX_JACK);
    // The gang's first pass: the unit has been read. The controller is shown the values once connected.
    const QByteArray gainRed = PC::parameterName(1, PC::GainRed);
    QTRY_VERIFY_WITH_TIMEOUT(rig.requestLog().filter(QStringLiteral("127.0.0.12 GET /config?action=set")).size() > 0, Wait);
    QTRY_VERIFY_WITH_TIMEOUT(controller->seen().contains(QStringLiteral("b0 10 ") + shown(PC::GainRed, 1000)), Wait);

    // The motor fader reaches the value it was sent before it is moved.
    controller->send("b01001", 3);
    controller->send(("b007" + shown(PC::Saturation, 1000)).toLatin1());
    controller->send("b00764");
    controller->send("902440");
    const int fader = MidiEncoding::parameterValue(PC::Saturation, 0x64, 127);
    for (int unit : {0, 1}) {
        QTRY_COMPARE_WITH_TIMEOUT(rig.parameter(unit, gainRed), std::optional<QByteArray>("1030"), Wait);
        QTRY_COMPARE_WITH_TIMEOUT(rig.parameter(unit, PC::parameterName(1, PC::Saturation)),
                                  std::optional<QByteArray>(QByteArray::number(fader)), Wait);
    }
    QTRY_VERIFY_WITH_TIMEOUT(controller->seen().contains(QStringLiteral("b0 10 ") + shown(PC::GainRed, 1030)), Wait);
    QTRY_VERIFY_WITH_TIMEOUT(controller->seen().contains(QStringLiteral("90 24 7f")), Wait);

    // Changed at the unit: the read-back brings it, and the motor fader is sent there.
    QVERIFY(rig.setParameter(0, PC::parameterName(1, PC::Saturation), "500"));
    QTRY_VERIFY_WITH_TIMEOUT(controller->seen().contains(QStringLiteral("b0 07 ") + shown(PC::Saturation, 500)), Wait);
    QVERIFY2(!controller->seen().contains(QStringLiteral("b0 07 64")), qPrintable(controller->seen()));

    program.terminate();
    QVERIFY(program.waitForFinished(Wait));
    QCOMPARE(program.exitCode(), 0);
}

// Right-click a control, move a control on the controller: it is mapped,
// saved to the mapping file with the encoding it showed, and drives the
// parameter; Escape ends learning, not the window; a damaged mapping file
// changes nothing.
void TestMidiControl::learnInTheWindow()
{
    DialogFixture f;
    HDRParameterDialog &d = f.open(DialogFixture::address(0));
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("learned/desk.json"));
    MidiRemote midi(f.controller(), MidiPort::Backend::Jack);
    QString error;
    QVERIFY(midi.loadMap(file, &error));
    d.setMidi(&midi);
    midi.setEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(midi.statusLine(), QStringLiteral("MIDI: ports open (jack)"), Wait);
    // The mapping names no controller yet: this one connects to the program's ports itself.
    const auto controller = std::make_unique<DeskController>(RtMidi::UNIX_JACK, QStringLiteral("Prismolink"));

    // Right-clicked on its caption, left of the slider; the Adjust group by its title, not between its rows.
    QCOMPARE(d.slotAt(d.slider(PC::Tint)->mapTo(&d, QPoint(-60, 10))), int(PC::Tint));
    auto *group = d.findChild<QGroupBox *>(QStringLiteral("adjustGroupBox"));
    QCOMPARE(d.slotAt(group->mapTo(&d, QPoint(20, 5))), int(PC::ColorfrontMode));
    QCOMPARE(d.slotAt(group->mapTo(&d, QPoint(5, group->height() / 2))), -1);
    const std::unique_ptr<QMenu> menu = d.createContextMenu(PC::Tint);
    QAction *learn = menu->actions().constFirst();
    QCOMPARE(learn->text(), QStringLiteral("Learn MIDI Control for Tint"));
    learn->trigger();
    QVERIFY(midi.learning());

    controller->send("b01401", 4);
    QTRY_VERIFY_WITH_TIMEOUT(!midi.learning(), Wait);
    const QString line = d.findChild<QLabel *>(QStringLiteral("midiStatusLabel"))->text();
    QVERIFY2(line.startsWith(QStringLiteral("MIDI: cc 20 on channel 1 (relative-twos) drives tint; saved to")), qPrintable(line));
    MidiMap saved;
    QVERIFY2(MidiMapFile::load(file, saved, error), qPrintable(error));
    QCOMPARE(saved, midi.map());
    controller->send("b0147f", 2);
    QTRY_COMPARE_WITH_TIMEOUT(f.controller().value(PC::Tint), -20, Wait);

    d.show();
    ModalPrompt::setHandler([](QDialog &dialog) {
        auto &chooser = static_cast<QInputDialog &>(dialog);
        chooser.setTextValue(chooser.comboBoxItems().constLast());
        return int(QDialog::Accepted);
    });
    f.trigger(QStringLiteral("Learn MIDI Control..."));
    QVERIFY(midi.learning());
    QCOMPARE(d.findChild<QLabel *>(QStringLiteral("midiStatusLabel"))->text(),
             QStringLiteral("MIDI learn: move a control on the controller for reset (Escape cancels)"));
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!midi.learning());
    QVERIFY(d.isVisible());

    QFile damaged(folder.filePath(QStringLiteral("damaged.json")));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(R"({"version": 1, "mappings": [{"cc": 300}]})") > 0);
    damaged.close();
    QVERIFY(!midi.loadMap(damaged.fileName(), &error));
    QCOMPARE(midi.map(), saved);
    QCOMPARE(midi.mapPath(), file);
}

QTEST_MAIN(TestMidiControl)
#include "tst_midicontrol.moc"
