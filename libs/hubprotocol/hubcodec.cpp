#include "hubcodec.h"

#include "hubcommanddecoder.h"
#include "hubmessagebuilder.h"
#include "hubwirereader.h"
#include "hubwirewriter.h"

#include <QString>

namespace {

// Every hub message the simulator sends is a few words; a greeting with many
// panels is the longest.
constexpr quint32 MessageCapacity = 4096;

QByteArray message(std::initializer_list<quint32> words)
{
    uchar buffer[MessageCapacity];
    HubWireWriter w(buffer, MessageCapacity);
    for (quint32 word : words)
        w.putWord(word);
    return QByteArray(reinterpret_cast<const char *>(buffer), int(w.finish()));
}

} // namespace

QByteArray HubCodec::greeting(quint32 revision, const QVector<Panel> &panels)
{
    uchar buffer[MessageCapacity];
    HubWireWriter w(buffer, MessageCapacity);
    w.putWord(HubCommandDecoder::Greeting);
    w.putWord(revision);
    w.putWord(quint32(panels.size()));
    for (const Panel &panel : panels) {
        w.putWord(panel.type);
        w.putWord(panel.id);
    }
    if (w.overflowed())
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(buffer), int(w.finish()));
}

QByteArray HubCodec::buttonDown(quint32 panelId, quint32 buttonId)
{
    return message({HubCommandDecoder::PanelButtonDown, panelId, buttonId});
}

QByteArray HubCodec::buttonUp(quint32 panelId, quint32 buttonId)
{
    return message({HubCommandDecoder::PanelButtonUp, panelId, buttonId});
}

QByteArray HubCodec::encoder(quint32 panelId, quint32 encoderId, float increment)
{
    uchar buffer[32];
    HubWireWriter w(buffer, sizeof buffer);
    w.putWord(HubCommandDecoder::PanelEncoderChange);
    w.putWord(panelId);
    w.putWord(encoderId);
    w.putReal(increment);
    return QByteArray(reinterpret_cast<const char *>(buffer), int(w.finish()));
}

QByteArray HubCodec::displayRefresh(quint32 panelId)
{
    return message({HubCommandDecoder::PanelDisplayRefresh, panelId});
}

QByteArray HubCodec::parameterRequest(quint32 parameterId)
{
    return message({HubCommandDecoder::ParameterValueRequest, parameterId});
}

QByteArray HubCodec::menuRequest(quint32 menuId)
{
    return message({HubCommandDecoder::MenuStringRequest, menuId});
}

QByteArray HubCodec::modeRequest(quint32 modeId)
{
    return message({HubCommandDecoder::ModeValueRequest, modeId});
}

HubCodec::Decoded HubCodec::decode(const uchar *body, quint32 length)
{
    Decoded result;
    HubWireReader in(body, length);
    while (!in.atEnd()) {
        ProgramCommand c;
        bool ok = in.word(c.id);
        if (ok) {
            switch (c.id) {
            case HubMessageBuilder::AppDefinition:
                ok = in.string(c.text) && in.string(c.systemFolder) && in.string(c.userFolder);
                break;
            case HubMessageBuilder::PanelRequest:
            case HubMessageBuilder::ModeValue:
                ok = in.word(c.itemId);
                break;
            case HubMessageBuilder::ParameterValue:
                ok = in.word(c.itemId) && in.real(c.value) && in.word(c.trailer);
                break;
            case HubMessageBuilder::MenuString:
                ok = in.word(c.itemId) && in.string(c.text) && in.word(c.trailer);
                break;
            case HubMessageBuilder::DisplayWrite:
                ok = in.word(c.itemId) && in.word(c.display) && in.word(c.line) && in.word(c.x) && in.string(c.text);
                break;
            default:
                ok = false;
                break;
            }
        }
        if (!ok) {
            result.complete = false;
            result.failedId = c.id;
            break;
        }
        result.commands.append(c);
    }
    return result;
}

QString HubCodec::describe(const ProgramCommand &c)
{
    const QString text = QString::fromUtf8(c.text);
    switch (c.id) {
    case HubMessageBuilder::AppDefinition:
        return QStringLiteral("application \"%1\" (system folder \"%2\", user folder \"%3\")")
            .arg(text, QString::fromUtf8(c.systemFolder), QString::fromUtf8(c.userFolder));
    case HubMessageBuilder::PanelRequest:
        return QStringLiteral("panel request 0x%1").arg(c.itemId, 0, 16);
    case HubMessageBuilder::ParameterValue:
        return QStringLiteral("parameter %1 = %2").arg(c.itemId).arg(double(c.value));
    case HubMessageBuilder::MenuString:
        return QStringLiteral("menu %1 = \"%2\"").arg(c.itemId).arg(text);
    case HubMessageBuilder::ModeValue:
        return QStringLiteral("mode %1").arg(c.itemId);
    case HubMessageBuilder::DisplayWrite:
        return QStringLiteral("display panel 0x%1 line %2 x %3 \"%4\"").arg(c.itemId, 0, 16).arg(c.line).arg(c.x).arg(text);
    default:
        return QStringLiteral("command 0x%1").arg(c.id, 0, 16);
    }
}
