#include "midiengine.h"

#include <utility>

using Mode = MidiEncoding::Mode;
using Kind = MidiIntent::Kind;
using PC = ParameterCatalogue;

namespace {
// Parameter values a fader set that may still come back as shown values.
constexpr int Recent = 8;

int key(bool note, int channel, int number)
{
    return (note ? 16 * 128 : 0) + (channel - 1) * 128 + number;
}

QByteArray channelMessage(int status, int channel, int number, int value)
{
    QByteArray bytes(3, '\0');
    bytes[0] = char(status | (channel - 1));
    bytes[1] = char(number & 0x7F);
    bytes[2] = char(value & 0x7F);
    return bytes;
}
} // namespace

MidiEngine::MidiEngine(const MidiMap &map)
{
    setMap(map);
}

void MidiEngine::setMap(const MidiMap &map)
{
    m_map = map;
    rebuild();
}

void MidiEngine::rebuild()
{
    m_controls = QVector<Control>(m_map.mappings.size());
    m_pending = QVector<int>(m_map.mappings.size(), -1);
    m_intents.clear();
    m_index.fill(0);
    for (int i = 0; i < m_map.mappings.size(); ++i) {
        const MidiMapping &m = m_map.mappings[i];
        m_index[std::size_t(key(m.note, m.channel, m.number))] = qint16(i + 1);
        if (m.mode == Mode::Absolute14)
            m_index[std::size_t(key(false, m.channel, m.number + 32))] = qint16(-(i + 1));
    }
}

void MidiEngine::feed(const MidiMessage &message, qint64 nowMs)
{
    if (m_learn.active()) {
        if (const std::optional<MidiMapping> mapping = m_learn.offer(message))
            learned(*mapping);
        return;
    }
    const bool note = message.type == MidiMessage::Type::NoteOn;
    if ((!note && message.type != MidiMessage::Type::ControlChange) || message.channel < 1 || message.channel > 16
        || message.number < 0 || message.number > 127)
        return;
    const int entry = m_index[std::size_t(key(note, message.channel, message.number))];
    if (entry == 0)
        return;
    const int index = qAbs(entry) - 1;
    const MidiMapping &m = m_map.mappings[index];
    Control &c = m_controls[index];
    MidiIntent intent;
    intent.slot = m.slot;
    intent.action = m.action;
    switch (m.mode) {
    case Mode::Note:
    case Mode::Button:
        if (message.value == 0)
            return; // a release
        if (!note && c.travelling && nowMs - c.sentMs <= EchoMs && message.value == c.sent) {
            c.travelling = false; // the button's light sent back
            return;
        }
        intent.kind = m.slot >= 0 ? Kind::Press : Kind::Action;
        addIntent(index, intent);
        return;
    case Mode::RelativeTwos:
    case Mode::RelativeOffset:
    case Mode::RelativeSigned:
        intent.kind = Kind::Step;
        intent.steps = MidiEncoding::steps(m.mode, message.value);
        intent.size = m.step;
        if (intent.steps != 0)
            addIntent(index, intent);
        return;
    case Mode::Absolute:
        absolute(index, message.value, nowMs);
        return;
    case Mode::Absolute14:
        if (entry > 0) {
            if (c.high)
                absolute(index, c.highValue << 7, nowMs); // a high half alone
            c.high = true;
            c.highValue = message.value;
            return;
        }
        // A low half alone fine-tunes the last high half.
        c.high = false;
        absolute(index, (c.highValue << 7) | message.value, nowMs);
        return;
    }
}

bool MidiEngine::waiting() const
{
    for (const Control &c : m_controls) {
        if (c.high)
            return true;
    }
    return false;
}

void MidiEngine::flush(qint64 nowMs)
{
    for (int i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i].high) {
            m_controls[i].high = false;
            absolute(i, m_controls[i].highValue << 7, nowMs);
        }
    }
}

void MidiEngine::absolute(int index, int value, qint64 nowMs)
{
    const MidiMapping &m = m_map.mappings[index];
    Control &c = m_controls[index];
    const int largest = MidiEncoding::largest(m.mode);
    const std::optional<int> previous = c.last;
    c.last = value;
    if (c.travelling) {
        // A motor fader on its way to the value sent, or its echo of it.
        if (nowMs - c.sentMs <= EchoMs) {
            if (value == c.sent)
                c.travelling = false;
            return;
        }
        c.travelling = false;
    }
    if (m.slot < 0)
        return;
    const int wanted = MidiEncoding::parameterValue(m.slot, value, largest);
    const std::optional<int> shown = m_shown[std::size_t(m.slot)];
    if (m.pickup && shown) {
        const std::optional<int> was = previous ? std::optional<int>(MidiEncoding::parameterValue(m.slot, *previous, largest))
                                                : std::nullopt;
        if (!c.pickup.take(was, wanted, *shown))
            return;
    }
    c.recent.append(wanted);
    if (c.recent.size() > Recent)
        c.recent.removeFirst();
    c.sent = -1; // the control has moved from what was sent to it
    MidiIntent intent;
    intent.kind = Kind::Set;
    intent.slot = m.slot;
    intent.value = wanted;
    addIntent(index, intent);
}

void MidiEngine::addIntent(int index, const MidiIntent &intent)
{
    const int pending = m_pending[index];
    if (pending >= 0 && intent.kind == Kind::Set) {
        m_intents[pending].value = intent.value;
        return;
    }
    if (pending >= 0 && intent.kind == Kind::Step) {
        m_intents[pending].steps += intent.steps;
        return;
    }
    if (intent.kind == Kind::Set || intent.kind == Kind::Step)
        m_pending[index] = m_intents.size();
    m_intents.append(intent);
}

QVector<MidiIntent> MidiEngine::takeIntents()
{
    QVector<MidiIntent> intents;
    for (const MidiIntent &intent : std::as_const(m_intents)) {
        if (intent.kind != Kind::Step || intent.steps != 0)
            intents.append(intent);
    }
    m_intents.clear();
    m_pending.fill(-1);
    return intents;
}

QVector<QByteArray> MidiEngine::feedback(int slot, int value, qint64 nowMs)
{
    QVector<QByteArray> out;
    if (slot < 0 || slot >= PC::SlotCount)
        return out;
    m_shown[std::size_t(slot)] = value;
    for (int i = 0; i < m_map.mappings.size(); ++i) {
        const MidiMapping &m = m_map.mappings[i];
        if (m.slot != slot)
            continue;
        Control &c = m_controls[i];
        if (MidiEncoding::isAbsolute(m.mode)) {
            if (c.recent.contains(value))
                continue; // the fader's own value: it is there already
            c.pickup.release();
            c.recent.clear();
        }
        send(i, value, false, nowMs, out);
    }
    return out;
}

QVector<QByteArray> MidiEngine::allFeedback(qint64 nowMs)
{
    QVector<QByteArray> out;
    for (int i = 0; i < m_map.mappings.size(); ++i) {
        const int slot = m_map.mappings[i].slot;
        if (slot >= 0 && m_shown[std::size_t(slot)])
            send(i, *m_shown[std::size_t(slot)], true, nowMs, out);
    }
    return out;
}

void MidiEngine::send(int index, int value, bool forced, qint64 nowMs, QVector<QByteArray> &out)
{
    const MidiMapping &m = m_map.mappings[index];
    Control &c = m_controls[index];
    if (!m.feedback)
        return;
    const bool press = MidiEncoding::isPress(m.mode);
    // A button lights for a switch that is on; it shows nothing of other parameters.
    if (press && PC::slot(m.slot).kind != PC::Kind::Switch)
        return;
    const int largest = MidiEncoding::largest(m.mode);
    const int control = MidiEncoding::controlValue(m.slot, value, largest);
    if (control == c.sent && !forced)
        return;
    c.sent = control;
    c.sentMs = nowMs;
    // A motor fader (one without pick-up) travels to what was sent, and a
    // button may send its light back: neither is input for the echo time.
    c.travelling = MidiEncoding::isAbsolute(m.mode) ? !m.pickup : m.mode == Mode::Button;
    if (m.mode == Mode::Absolute14) {
        out.append(channelMessage(0xB0, m.channel, m.number, control >> 7));
        out.append(channelMessage(0xB0, m.channel, m.number + 32, control & 0x7F));
    } else {
        out.append(channelMessage(m.note ? 0x90 : 0xB0, m.channel, m.number, control));
    }
}

void MidiEngine::placeChanged()
{
    for (Control &c : m_controls) {
        c.pickup.release();
        c.high = false;
        c.recent.clear();
    }
}

bool MidiEngine::startLearn(const QString &parameter)
{
    MidiMapping target;
    if (!target.setTarget(parameter))
        return false;
    m_learned.reset();
    m_learn.start(target);
    return true;
}

void MidiEngine::cancelLearn()
{
    m_learn.cancel();
}

void MidiEngine::finishLearn()
{
    if (const std::optional<MidiMapping> mapping = m_learn.finish())
        learned(*mapping);
}

std::optional<MidiMapping> MidiEngine::takeLearned()
{
    std::optional<MidiMapping> mapping = m_learned;
    m_learned.reset();
    return mapping;
}

void MidiEngine::learned(const MidiMapping &mapping)
{
    MidiMap map = m_map;
    for (int i = map.mappings.size() - 1; i >= 0; --i) {
        if (MidiMap::overlap(map.mappings[i], mapping))
            map.mappings.remove(i);
    }
    map.mappings.append(mapping);
    setMap(map);
    m_learned = mapping;
}
