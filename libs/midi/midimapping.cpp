#include "midimapping.h"

#include "parametercatalogue.h"

namespace {
struct Named
{
    MidiAction action;
    const char *name;
};

const Named actions[] = {
    {MidiAction::AbToggle, "ab/toggle"},
    {MidiAction::Undo, "undo"},
    {MidiAction::Redo, "redo"},
    {MidiAction::ChannelNext, "channel/next"},
    {MidiAction::ChannelPrevious, "channel/prev"},
    {MidiAction::UnitNext, "unit/next"},
    {MidiAction::UnitPrevious, "unit/prev"},
    {MidiAction::ResetAll, "reset"},
};
} // namespace

bool MidiMapping::setTarget(const QString &name)
{
    // "adjust" is the Adjust switch of the table; a button toggles it.
    const int found = ParameterCatalogue::slotByRemoteName(name);
    if (found >= 0) {
        parameter = name;
        slot = found;
        return true;
    }
    for (const Named &named : actions) {
        if (name == QLatin1String(named.name)) {
            parameter = name;
            slot = -1;
            action = named.action;
            return true;
        }
    }
    return false;
}

QStringList MidiMapping::actionNames()
{
    QStringList list;
    for (const Named &named : actions)
        list.append(QLatin1String(named.name));
    return list;
}

bool MidiMapping::operator==(const MidiMapping &other) const
{
    return channel == other.channel && note == other.note && number == other.number && parameter == other.parameter
           && slot == other.slot && (slot >= 0 || action == other.action) && mode == other.mode && step == other.step
           && pickup == other.pickup && feedback == other.feedback;
}
