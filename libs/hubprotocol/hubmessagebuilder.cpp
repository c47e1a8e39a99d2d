#include "hubmessagebuilder.h"

#include "hubwirewriter.h"

#include <cstring>

const char HubMessageBuilder::ApplicationName[] = "Marvendolquistraband";

void HubMessageBuilder::appDefinition()
{
    HubWireWriter w(m_buffer, Capacity);
    w.putWord(AppDefinition);
    w.putString(ApplicationName, quint32(std::strlen(ApplicationName)));
    w.putString(nullptr, 0);
    w.putString(nullptr, 0);
    m_size = w.finish();
}

void HubMessageBuilder::panelRequests(const quint32 *panelIds, quint32 count)
{
    HubWireWriter w(m_buffer, Capacity);
    for (quint32 i = 0; i < count && i < MaxPanels; ++i) {
        w.putWord(PanelRequest);
        w.putWord(panelIds[i]);
    }
    m_size = w.finish();
}

void HubMessageBuilder::parameterValue(quint32 parameterId, int random)
{
    HubWireWriter w(m_buffer, Capacity);
    w.putWord(ParameterValue);
    w.putWord(parameterId);
    w.putReal(float(random / double(RandomMaximum)));
    w.putWord(0);
    m_size = w.finish();
}

void HubMessageBuilder::menuString(quint32 menuId, int random)
{
    char text[] = "Menu A";
    text[5] = char('A' + (random % 26 + 26) % 26);
    HubWireWriter w(m_buffer, Capacity);
    w.putWord(MenuString);
    w.putWord(menuId);
    w.putString(text, 6);
    w.putWord(1);
    m_size = w.finish();
}

void HubMessageBuilder::modeValue(quint32 modeId)
{
    HubWireWriter w(m_buffer, Capacity);
    w.putWord(ModeValue);
    w.putWord(modeId);
    m_size = w.finish();
}

quint32 HubMessageBuilder::displayWrite(quint32 panelId, quint32 line, quint32 x, const char *text, quint32 length)
{
    const quint32 kept = utf8Prefix(text, length, MaxDisplayText);
    HubWireWriter w(m_buffer, Capacity);
    w.putWord(DisplayWrite);
    w.putWord(panelId);
    w.putWord(0);
    w.putWord(line);
    w.putWord(x);
    w.putString(text, kept);
    m_size = w.finish();
    return kept;
}

quint32 HubMessageBuilder::utf8Prefix(const char *text, quint32 length, quint32 limit)
{
    if (length <= limit)
        return length;
    quint32 kept = limit;
    // A byte 10xxxxxx continues a sequence: cutting before it would split one.
    while (kept > 0 && (uchar(text[kept]) & 0xC0) == 0x80)
        --kept;
    return kept;
}
