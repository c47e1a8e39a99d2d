#include "hubcommanddecoder.h"

#include "hubwirereader.h"

namespace {

bool readPayload(HubWireReader &in, HubCommand &c, HubCommandDecoder::Result &result)
{
    using D = HubCommandDecoder;
    switch (c.id) {
    case D::Greeting: {
        if (!in.word(c.revision) || !in.word(c.panelCount))
            return false;
        if (c.panelCount > quint32(HubCommand::MaxPanels)) {
            result.end = D::End::TooManyPanels;
            result.panelCount = c.panelCount;
            return false;
        }
        for (quint32 i = 0; i < c.panelCount; ++i)
            if (!in.word(c.panelTypes[i]) || !in.word(c.panelIds[i]))
                return false;
        return true;
    }
    case D::ParameterChange:
        return in.word(c.itemId) && in.real(c.increment);
    case D::MenuChange:
        return in.word(c.itemId) && in.signedWord(c.step);
    case D::Transport:
        return in.signedWord(c.step) && in.signedWord(c.shuttle);
    case D::ParameterReset:
    case D::ParameterValueRequest:
    case D::MenuReset:
    case D::MenuStringRequest:
    case D::ActionOn:
    case D::ModeValueRequest:
    case D::ActionOff:
        return in.word(c.itemId);
    case D::Unused30:
        return in.skip(24);
    case D::PanelButtonDown:
    case D::PanelButtonUp:
        return in.word(c.panelId) && in.word(c.itemId);
    case D::PanelEncoderChange:
        return in.word(c.panelId) && in.word(c.itemId) && in.real(c.increment);
    case D::PanelDisplayRefresh:
        return in.word(c.panelId);
    default:
        result.end = D::End::UnknownCommand;
        return false;
    }
}

} // namespace

HubCommandDecoder::Result HubCommandDecoder::decode(const uchar *body, quint32 length)
{
    Result result;
    HubWireReader in(body, length);
    while (!in.atEnd()) {
        HubCommand c;
        if (!in.word(c.id)) {
            result.end = End::Overrun;
            result.endCommandId = 0;
            break;
        }
        if (!readPayload(in, c, result)) {
            if (result.end == End::Complete)
                result.end = End::Overrun;
            result.endCommandId = c.id;
            break;
        }
        result.commands.push_back(c);
    }
    return result;
}
