#include "mididecoder.h"

namespace {
// Data bytes that follow a channel status byte of the kind (high nibble).
int dataBytes(unsigned char status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    default:
        return 2;
    }
}
} // namespace

void MidiDecoder::reset()
{
    m_status = 0;
    m_skipping = false;
    m_count = 0;
}

void MidiDecoder::feed(const unsigned char *bytes, int size, QVector<MidiMessage> &out)
{
    for (int i = 0; i < size; ++i) {
        const unsigned char byte = bytes[i];
        if (byte >= 0xF8)
            continue; // real-time: clock, start, stop, active sensing, reset
        if (byte >= 0xF0) {
            // System exclusive and system common messages end running status;
            // their data bytes are skipped up to the next status byte.
            m_status = 0;
            m_count = 0;
            m_skipping = byte != 0xF7 && byte != 0xF6;
            continue;
        }
        if (byte & 0x80) {
            m_status = byte;
            m_skipping = false;
            m_count = 0;
            continue;
        }
        if (m_skipping || m_status == 0)
            continue;
        m_data[m_count++] = byte;
        if (m_count == dataBytes(m_status)) {
            complete(out);
            m_count = 0; // running status: the next data bytes start a message of the same kind
        }
    }
}

void MidiDecoder::complete(QVector<MidiMessage> &out)
{
    MidiMessage message;
    message.channel = (m_status & 0x0F) + 1;
    switch (m_status & 0xF0) {
    case 0x80:
        message.type = MidiMessage::Type::NoteOff;
        break;
    case 0x90:
        // A note-on of velocity 0 is how most controllers release a note.
        message.type = m_data[1] == 0 ? MidiMessage::Type::NoteOff : MidiMessage::Type::NoteOn;
        break;
    case 0xA0:
        message.type = MidiMessage::Type::PolyPressure;
        break;
    case 0xB0:
        message.type = MidiMessage::Type::ControlChange;
        break;
    case 0xC0:
        message.type = MidiMessage::Type::ProgramChange;
        message.value = m_data[0];
        out.append(message);
        return;
    case 0xD0:
        message.type = MidiMessage::Type::ChannelPressure;
        message.value = m_data[0];
        out.append(message);
        return;
    default:
        message.type = MidiMessage::Type::PitchBend;
        message.value = m_data[0] | (m_data[1] << 7);
        out.append(message);
        return;
    }
    message.number = m_data[0];
    message.value = m_data[1];
    out.append(message);
}
