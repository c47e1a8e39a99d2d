#include "midiremote.h"

#include "hdrcontroller.h"
#include "midilog.h"
#include "midimapfile.h"
#include "midisurface.h"
#include "parametercatalogue.h"
#include "unitchooser.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <climits>

using PC = ParameterCatalogue;
using K = Input::Kind;

MidiRemote::MidiRemote(HdrController &controller, MidiPort::Backend backend, QObject *parent)
    : QObject(parent), m_controller(controller), m_backend(backend)
{
    connect(&controller, &HdrController::parameterChanged, this, [this](int slot, int value) {
        if (m_surface)
            m_surface->feedback(slot, value);
    });
    // Faders take over softly as soon as another place is chosen, and are
    // shown its values once it has been read.
    connect(&controller.units(), &UnitChooser::channelsChanged, this, &MidiRemote::placeShown);
    connect(&controller, &HdrController::channelRead, this, [this] {
        placeShown();
        feedAll();
    });
}

MidiRemote::~MidiRemote() = default;

Input MidiRemote::input(const MidiIntent &intent, const Target &place)
{
    const int slot = intent.slot;
    const PC::Kind kind = slot >= 0 && slot < PC::SlotCount ? PC::slot(slot).kind : PC::Kind::Unbound;
    const bool slider = kind == PC::Kind::Scaled || kind == PC::Kind::Nits;
    switch (intent.kind) {
    case MidiIntent::Kind::Set:
        return Input::of(K::Set, place, slot, intent.value);
    case MidiIntent::Kind::Step: {
        const qint64 positions = qint64(intent.steps) * (slider ? PC::step(PC::ArrowStep, intent.size) : 1);
        return Input::of(K::Nudge, place, slot, int(std::clamp<qint64>(positions, INT_MIN, INT_MAX)));
    }
    case MidiIntent::Kind::Press:
        if (kind == PC::Kind::Switch)
            return Input::of(K::Toggle, place, slot);
        if (kind == PC::Kind::Choice)
            return Input::of(K::StepChoice, place, slot, 1);
        return Input::of(K::Reset, place, slot);
    case MidiIntent::Kind::Action:
        break;
    }
    switch (intent.action) {
    case MidiAction::AbToggle: return Input::of(K::ToggleLooks, place);
    case MidiAction::Undo: return Input::of(K::Undo, place);
    case MidiAction::Redo: return Input::of(K::Redo, place);
    case MidiAction::ResetAll: return Input::of(K::ResetAll, place);
    case MidiAction::ChannelNext: return Input::of(K::StepChannel, Target(), -1, 1);
    case MidiAction::ChannelPrevious: return Input::of(K::StepChannel, Target(), -1, -1);
    case MidiAction::UnitNext: return Input::of(K::StepUnit, Target(), -1, 1);
    case MidiAction::UnitPrevious: return Input::of(K::StepUnit, Target(), -1, -1);
    }
    return Input::of(K::Set, place);
}

void MidiRemote::take(const QVector<MidiIntent> &intents)
{
    for (const MidiIntent &intent : intents)
        m_controller.submit(input(intent, m_controller.current()));
}

bool MidiRemote::loadMap(const QString &path, QString *error)
{
    MidiMap map;
    QString why;
    if (QFileInfo::exists(path) && !MidiMapFile::load(path, map, why)) {
        *error = why;
        const QString line = QStringLiteral("MIDI: the mapping file %1 was refused, the mapping stays as it was: %2").arg(path, why);
        qCWarning(lcMidi).noquote() << line;
        say(line);
        return false;
    }
    cancelLearn();
    m_map = map;
    m_mapPath = path;
    if (m_surface)
        m_surface->setMap(m_map);
    return true;
}

void MidiRemote::setEnabled(bool on)
{
    if (on == isEnabled())
        return;
    if (!on) {
        cancelLearn();
        // The window goes on while the ports close; the surface goes once they have.
        MidiSurface *closing = m_surface.release();
        disconnect(closing, nullptr, this, nullptr);
        closing->setParent(this);
        connect(closing, &MidiSurface::closed, closing, &QObject::deleteLater);
        closing->close();
        say(QStringLiteral("MIDI: off"));
    } else {
        m_surface = std::make_unique<MidiSurface>(m_backend, m_map);
        connect(m_surface.get(), &MidiSurface::intents, this, &MidiRemote::take);
        connect(m_surface.get(), &MidiSurface::status, this, &MidiRemote::say);
        connect(m_surface.get(), &MidiSurface::learned, this, &MidiRemote::learned);
        m_place = m_controller.current();
        feedAll();
        m_surface->start();
    }
    Q_EMIT enabledChanged(on);
}

bool MidiRemote::startLearn(const QString &parameter)
{
    if (!m_surface || !m_surface->startLearn(parameter))
        return false;
    Q_EMIT learningChanged(true);
    return true;
}

void MidiRemote::cancelLearn()
{
    if (!learning())
        return;
    m_surface->cancelLearn();
    Q_EMIT learningChanged(false);
}

bool MidiRemote::learning() const
{
    return m_surface && m_surface->learning();
}

// The map with the control learned is saved to the mapping file at once.
void MidiRemote::learned(const MidiMapping &mapping)
{
    m_map = m_surface->map();
    QString saved;
    QString error;
    if (m_mapPath.isEmpty())
        saved = QStringLiteral("not saved: no mapping file");
    else if (QDir().mkpath(QFileInfo(m_mapPath).absolutePath()) && MidiMapFile::save(m_mapPath, m_map, error))
        saved = QStringLiteral("saved to %1").arg(m_mapPath);
    else
        saved = QStringLiteral("not saved to %1: %2").arg(m_mapPath, error.isEmpty() ? QStringLiteral("no folder") : error);
    const QString line = QStringLiteral("MIDI: %1 %2 on channel %3 (%4) drives %5; %6")
                             .arg(QLatin1String(mapping.note ? "note" : "cc"))
                             .arg(mapping.number)
                             .arg(mapping.channel)
                             .arg(MidiEncoding::name(mapping.mode), mapping.parameter, saved);
    qCInfo(lcMidi).noquote() << line;
    say(line);
    Q_EMIT learningChanged(false);
}

void MidiRemote::say(const QString &line)
{
    m_status = line;
    Q_EMIT status(line);
}

void MidiRemote::feedAll()
{
    if (!m_surface)
        return;
    for (int slot : PC::passOrder())
        m_surface->feedback(slot, m_controller.value(slot));
}

void MidiRemote::placeShown()
{
    if (m_surface && m_controller.current() != m_place) {
        m_place = m_controller.current();
        m_surface->placeChanged();
    }
}
