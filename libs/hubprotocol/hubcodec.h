#pragma once

#include <QByteArray>
#include <QVector>

// One command of a message the program sent to the hub, decoded.
struct ProgramCommand
{
    quint32 id = 0;
    quint32 itemId = 0;  // panel request: panel id; parameter, menu or mode id; display write: panel id
    quint32 display = 0; // display write
    quint32 line = 0;
    quint32 x = 0;
    float value = 0;     // parameter value
    quint32 trailer = 0; // the last word of a parameter value or menu string
    QByteArray text;     // application name, menu text or display text
    QByteArray systemFolder;
    QByteArray userFolder;
};

// The hub's end of the protocol: builds the messages the hub sends and
// decodes the program's messages, checking every field against the end of
// the body.
class HubCodec
{
public:
    struct Panel
    {
        quint32 type;
        quint32 id;
    };

    struct Decoded
    {
        QVector<ProgramCommand> commands;
        bool complete = true;   // false: an unknown or cut-off command ended decoding
        quint32 failedId = 0;
    };

    static QByteArray greeting(quint32 revision, const QVector<Panel> &panels);
    static QByteArray buttonDown(quint32 panelId, quint32 buttonId);
    static QByteArray buttonUp(quint32 panelId, quint32 buttonId);
    static QByteArray encoder(quint32 panelId, quint32 encoderId, float increment);
    static QByteArray displayRefresh(quint32 panelId);
    static QByteArray parameterRequest(quint32 parameterId);
    static QByteArray menuRequest(quint32 menuId);
    static QByteArray modeRequest(quint32 modeId);

    static Decoded decode(const uchar *body, quint32 length);
    // A one-line account of a command, for the log.
    static QString describe(const ProgramCommand &command);
};
