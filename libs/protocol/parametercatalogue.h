#pragma once

#include "parametertable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What the window, the controller, the panel and the simulators ask of the
// parameter table (parametertable.h): a parameter by its slot, the names of
// each channel, the orders of passes, read-backs and resets, and the
// conversions between a control's value, the units' text and what is shown.
class ParameterCatalogue : public ParameterSlots
{
public:
    using Kind = ParameterKind;
    using SlotInfo = ParameterRow;
    using PanelPlace = ::PanelPlace;

    static constexpr int ChannelCount = int(std::size(ParameterTable::channelNames));
    static constexpr int SlotCount = ParameterTable::slotCount;
    // Slots bound to a control: every slot but HdrReset.
    static constexpr int BoundCount = ParameterTable::boundCount;
    static constexpr int ResetCount = ParameterTable::resetCount;

    static const SlotInfo &slot(int slot) { return ParameterTable::rows[ParameterTable::rowOfSlot[std::size_t(slot)]]; }
    // Whether an input may change the parameter: one of the window's Adjust
    // group (the sliders and the P3 clamp) only while Adjust is on.
    static bool changeable(int slot, bool adjustOn);
    // The slot with this remote name, or -1.
    static int slotByRemoteName(const QString &name);

    // The row of names a channel selects: channels outside 0..4 select row 0.
    static int nameRow(int channel);
    static const char *parameterName(int channel, int slot);

    // A channel as the window, the controller and the panel name it: "4K/UHD"
    // for channel 0, "Video 1" to "Video 4" for the others; empty for any other.
    static QString channelName(int channel);

    // The bound slots in the order a pass writes them, and a read-back reads them.
    static const std::array<int, BoundCount> &passOrder() { return ParameterTable::passSlots; }
    static const std::array<int, BoundCount> &readOrder() { return ParameterTable::readSlots; }
    // The sliders in the order a reset puts them back.
    static const std::array<int, ResetCount> &resetOrder() { return ParameterTable::resetSlots; }

    // The names of a chooser's entries in its order; empty for a slot that is no chooser.
    static QStringList choiceNames(int slot);

    // The unit's text of a value: a slider's position as a decimal integer,
    // a chooser row's number, "1" or "0" for a switch. Empty for a row
    // outside the list.
    static QByteArray wireText(int slot, int value);
    // A unit's reply as a value, or nothing when the reply holds none: a
    // slider's position (not yet kept within the range), the first chooser
    // row whose number the reply is, a switch's state (a number of any
    // length: zero is off, blanks around allowed).
    static std::optional<int> fromWire(int slot, const QByteArray &reply);
    // The value label's text: three decimals for scaled sliders, the shortest
    // form of up to six digits for the PQ level.
    static QString labelText(int slot, int position);
    // What the panel shows: position / 1000 for scaled sliders, the position
    // itself for the PQ level.
    static double displayValue(int slot, int position);
    // The other way: a number in shown units as a slider's position, not yet
    // rounded or kept within the range.
    static double positionOf(int slot, double shown);
};
