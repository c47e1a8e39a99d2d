#include "midiencoding.h"

#include "parametercatalogue.h"

#include <QtGlobal>

#include <cmath>
#include <iterator>

using PC = ParameterCatalogue;
using Mode = MidiEncoding::Mode;

namespace {
struct Named
{
    Mode mode;
    const char *name;
};

const Named names[] = {
    {Mode::Absolute, "absolute"},
    {Mode::Absolute14, "absolute14"},
    {Mode::RelativeTwos, "relative-twos"},
    {Mode::RelativeOffset, "relative-offset"},
    {Mode::RelativeSigned, "relative-signed"},
    {Mode::Note, "note"},
    {Mode::Button, "button"},
};
} // namespace

QString MidiEncoding::name(Mode mode)
{
    for (const Named &named : names) {
        if (named.mode == mode)
            return QLatin1String(named.name);
    }
    return QString();
}

std::optional<Mode> MidiEncoding::byName(const QString &name)
{
    for (const Named &named : names) {
        if (name == QLatin1String(named.name))
            return named.mode;
    }
    return std::nullopt;
}

int MidiEncoding::steps(Mode mode, int value)
{
    value &= 0x7F;
    switch (mode) {
    case Mode::RelativeTwos:
        return value < 64 ? value : value - 128;
    case Mode::RelativeOffset:
        return value - 64;
    case Mode::RelativeSigned:
        return value & 0x40 ? -(value & 0x3F) : value;
    default:
        return 0;
    }
}

int MidiEncoding::parameterValue(int slot, int value, int largest)
{
    const PC::SlotInfo &info = PC::slot(slot);
    value = qBound(0, value, largest);
    switch (info.kind) {
    case PC::Kind::Switch:
        return value * 2 > largest ? 1 : 0;
    case PC::Kind::Choice:
        return qMin(info.choiceCount - 1, int(qint64(value) * info.choiceCount / (largest + 1)));
    default:
        return info.minimum + int(std::lround(double(value) * (info.maximum - info.minimum) / largest));
    }
}

int MidiEncoding::controlValue(int slot, int value, int largest)
{
    const PC::SlotInfo &info = PC::slot(slot);
    switch (info.kind) {
    case PC::Kind::Switch:
        return value ? largest : 0;
    case PC::Kind::Choice: {
        // The middle of the row's part, which reads back as the same row.
        const int row = qBound(0, value, qMax(0, info.choiceCount - 1));
        return int((qint64(2 * row + 1) * (largest + 1)) / (2 * qMax(1, info.choiceCount)));
    }
    default:
        if (info.maximum <= info.minimum)
            return 0;
        return int(std::lround(double(qBound(info.minimum, value, info.maximum) - info.minimum) * largest
                               / (info.maximum - info.minimum)));
    }
}
