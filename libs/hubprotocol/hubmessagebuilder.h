#pragma once

#include <QByteArray>
#include <QtGlobal>

// Builds the messages the program sends to the Tangent Hub, one at a time, in
// one fixed buffer (no allocation). After a build, data() and size() give the
// whole message, length word included, until the next build.
//
// The pseudo-random parts of the parameter and menu replies are passed in as a
// number from 0 to 32767, so the bytes are reproducible.
class HubMessageBuilder
{
public:
    static constexpr quint32 Capacity = 1028;
    // Length word, command id, panel, display, line, x and the text's count.
    static constexpr quint32 DisplayWriteOverhead = 28;
    static constexpr quint32 MaxDisplayText = Capacity - DisplayWriteOverhead;
    static constexpr quint32 MaxPanels = 10;
    static constexpr quint32 RandomMaximum = 32767;

    enum Command : quint32 {
        AppDefinition = 0x81,
        ParameterValue = 0x82,
        MenuString = 0x83,
        ModeValue = 0x85,
        PanelRequest = 0xA0,
        DisplayWrite = 0xA1,
    };

    static const char ApplicationName[];

    // Application name, then empty system and user folders: raw-control mode.
    void appDefinition();
    // One panel request per id, all in one message; at most MaxPanels are taken.
    void panelRequests(const quint32 *panelIds, quint32 count);
    // Value = random / 32767 (0.0 to 1.0), then a word 0.
    void parameterValue(quint32 parameterId, int random);
    // "Menu " and one capital letter (random modulo 26), then a word 1.
    void menuString(quint32 menuId, int random);
    void modeValue(quint32 modeId);
    // Display 0 of the panel. A text too long for the buffer is cut to fit,
    // never inside a UTF-8 sequence. Returns the number of text bytes kept.
    quint32 displayWrite(quint32 panelId, quint32 line, quint32 x, const char *text, quint32 length);

    const char *data() const { return reinterpret_cast<const char *>(m_buffer); }
    quint32 size() const { return m_size; }
    QByteArray message() const { return QByteArray(data(), int(m_size)); }

    // The longest prefix of at most limit bytes that does not end inside a
    // UTF-8 sequence.
    static quint32 utf8Prefix(const char *text, quint32 length, quint32 limit);

private:
    uchar m_buffer[Capacity] = {};
    quint32 m_size = 0;
};
