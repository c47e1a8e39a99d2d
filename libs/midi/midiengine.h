#pragma once

#include "midiintent.h"
#include "midilearn.h"
#include "midimap.h"
#include "midimessage.h"
#include "midipickup.h"
#include "parametercatalogue.h"

#include <QByteArray>
#include <QVector>

#include <array>
#include <optional>

// A controller's messages as intents, and the program's values as messages
// back to the controller, after its mapping. No Qt event loop, no clock of
// its own: the caller gives the time (ms, any origin) with every call.
//
// In: feed each decoded message, then take the intents. A burst is
// coalesced per control: a fader's last place, an encoder's detents added
// up; presses are kept one by one. A 14-bit pair counts when its low half
// arrives (or, alone, at flush).
// Out: tell every value shown (feedback) and every switch of channel or unit
// (placeChanged); feedback answers with the messages to send.
class MidiEngine
{
public:
    // After the program moved a motor fader (an absolute control without
    // pick-up), its input is taken for the motor's travel until it reports
    // the value sent, or for this long; a button's light sent back alike.
    static constexpr qint64 EchoMs = 250;

    explicit MidiEngine(const MidiMap &map = MidiMap());

    const MidiMap &map() const { return m_map; }
    void setMap(const MidiMap &map);

    void feed(const MidiMessage &message, qint64 nowMs);
    // A 14-bit pair's high half still waits for its low half.
    bool waiting() const;
    // What waits counts alone.
    void flush(qint64 nowMs);
    QVector<MidiIntent> takeIntents();

    // The parameter in `slot` shows `value` now (whatever changed it): the
    // messages that show it on the controller. Absolute controls that did
    // not set it themselves take over softly again.
    QVector<QByteArray> feedback(int slot, int value, qint64 nowMs);
    // Every known value, for a controller that has just connected.
    QVector<QByteArray> allFeedback(qint64 nowMs);
    // Another channel or unit is shown: absolute controls take over softly again.
    void placeChanged();

    // Learning: the next control moved is mapped to the parameter or
    // command (false for an unknown name); it replaces what that control
    // drove before.
    bool startLearn(const QString &parameter);
    void cancelLearn();
    bool learning() const { return m_learn.active(); }
    // Decides with what came so far (after a quiet moment).
    void finishLearn();
    // The mapping learned, once.
    std::optional<MidiMapping> takeLearned();

private:
    struct Control
    {
        std::optional<int> last; // the control's last value (the place of a fader)
        MidiPickup pickup;
        bool high = false;       // a 14-bit pair's high half waits
        int highValue = 0;
        QVector<int> recent;     // parameter values the control set lately
        int sent = -1;           // the value last sent to it
        qint64 sentMs = 0;
        bool travelling = false; // its echo is awaited
    };

    void rebuild();
    void absolute(int index, int value, qint64 nowMs);
    void addIntent(int index, const MidiIntent &intent);
    void send(int index, int value, bool forced, qint64 nowMs, QVector<QByteArray> &out);
    void learned(const MidiMapping &mapping);

    MidiMap m_map;
    QVector<Control> m_controls; // one per mapping
    // Mapping index + 1 for each (note or cc, channel, number), 0 for none;
    // negative for the low half of a 14-bit pair.
    std::array<qint16, 2 * 16 * 128> m_index{};
    std::array<std::optional<int>, ParameterCatalogue::SlotCount> m_shown{};
    QVector<MidiIntent> m_intents;
    QVector<int> m_pending; // per mapping: its intent in m_intents, or -1
    MidiLearn m_learn;
    std::optional<MidiMapping> m_learned;
};
