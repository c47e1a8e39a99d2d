#include "tangentwavepanel.h"
#include "logcategories.h"

#include "hubcommanddecoder.h"

#include <QDebug>
#include <QRandomGenerator>
#include <QTcpSocket>

#include <cstring>

tangentWavePanel::tangentWavePanel(quint16 port) : ClientIF(QStringLiteral("127.0.0.1"), port)
{
    openConnection();
}

void tangentWavePanel::openConnection()
{
    ++m_connectionSerial;
    m_hubReady = false;
    m_receive.reset();
    ClientIF::openConnection();
}

void tangentWavePanel::displayError(QAbstractSocket::SocketError socketError)
{
    // Whatever comes next is a new connection, which the hub greets afresh.
    ++m_connectionSerial;
    m_hubReady = false;
    m_receive.reset();
    ClientIF::displayError(socketError);
}

void tangentWavePanel::readMsg()
{
    const quint64 serial = m_connectionSerial;
    while (socket()->bytesAvailable() > 0) {
        const QByteArray bytes = socket()->read(socket()->bytesAvailable());
        if (bytes.isEmpty()) {
            qCDebug(lcPanel) << "data read failed";
            openConnection();
            return;
        }
        m_receive.append(bytes);
        for (;;) {
            const HubMessageAssembler::Result result = m_receive.next();
            if (result == HubMessageAssembler::Result::NeedMore)
                break;
            if (result == HubMessageAssembler::Result::Oversize) {
                qCDebug(lcPanel) << "tangentWavePanel: message of" << m_receive.bodyLength() << "bytes dropped, longer than"
                         << HubMessageAssembler::BodyCapacity;
                continue;
            }
            if (result == HubMessageAssembler::Result::Corrupt) {
                qCDebug(lcPanel) << "tangentWavePanel: message length" << m_receive.bodyLength()
                         << "is out of step with the hub; reconnecting";
                openConnection();
                return;
            }
            ProcessMessage(m_receive.body(), m_receive.bodyLength());
            if (serial != m_connectionSerial)
                return;
        }
    }
}

void tangentWavePanel::ProcessMessage(const uchar *body, quint32 length)
{
    const quint64 serial = m_connectionSerial;
    const HubCommandDecoder::Result decoded = HubCommandDecoder::decode(body, length);
    for (const HubCommand &command : decoded.commands) {
        actOn(command);
        if (serial != m_connectionSerial)
            return;
    }
    switch (decoded.end) {
    case HubCommandDecoder::End::Complete:
        break;
    case HubCommandDecoder::End::UnknownCommand:
        qCDebug(lcPanel).noquote() << "Unhandled command 0x" + QString::number(decoded.endCommandId, 16);
        break;
    case HubCommandDecoder::End::Overrun:
        qCDebug(lcPanel).noquote() << "tangentWavePanel: command 0x" + QString::number(decoded.endCommandId, 16)
                                  + " runs past the end of its message; dropped";
        break;
    case HubCommandDecoder::End::TooManyPanels:
        qCDebug(lcPanel) << "tangentWavePanel: greeting lists" << decoded.panelCount << "panels, more than"
                 << HubCommand::MaxPanels << "; dropped";
        break;
    }
}

void tangentWavePanel::actOn(const HubCommand &command)
{
    switch (command.id) {
    case HubCommandDecoder::Greeting:
        m_hubReady = true;
        m_protocolRevision = command.revision;
        SendAppDefinition();
        SendPanelRequests(command);
        if (m_hubReady)
            Q_EMIT sig_hubGreeted();
        break;
    case HubCommandDecoder::ParameterChange:
    case HubCommandDecoder::ParameterReset:
    case HubCommandDecoder::ParameterValueRequest:
        SendParameterValue(command.itemId);
        break;
    case HubCommandDecoder::MenuChange:
    case HubCommandDecoder::MenuReset:
    case HubCommandDecoder::MenuStringRequest:
        SendMenuString(command.itemId);
        break;
    case HubCommandDecoder::ModeValueRequest:
        SendModeValue(command.itemId);
        break;
    case HubCommandDecoder::PanelButtonDown:
        Q_EMIT sig_buttonDown(command.itemId);
        break;
    case HubCommandDecoder::PanelButtonUp:
        Q_EMIT sig_buttonUp(command.itemId);
        break;
    case HubCommandDecoder::PanelEncoderChange:
        Q_EMIT sig_encoder(command.itemId, command.increment);
        break;
    case HubCommandDecoder::PanelDisplayRefresh:
        m_displayPanelId = command.panelId;
        Q_EMIT sig_refreshMe();
        break;
    default: // actions, jog and shuttle, 0x30: nothing to do in raw-control mode
        break;
    }
}

void tangentWavePanel::SendAppDefinition()
{
    m_send.appDefinition();
    SendBuffer();
}

void tangentWavePanel::SendPanelRequests(const HubCommand &greeting)
{
    m_send.panelRequests(greeting.panelIds.data(), greeting.panelCount);
    SendBuffer();
}

void tangentWavePanel::SendParameterValue(quint32 parameterId)
{
    m_send.parameterValue(parameterId, int(QRandomGenerator::global()->bounded(HubMessageBuilder::RandomMaximum + 1)));
    SendBuffer();
}

void tangentWavePanel::SendMenuString(quint32 menuId)
{
    m_send.menuString(menuId, int(QRandomGenerator::global()->bounded(HubMessageBuilder::RandomMaximum + 1)));
    SendBuffer();
}

void tangentWavePanel::SendModeValue(quint32 modeId)
{
    m_send.modeValue(modeId);
    SendBuffer();
}

void tangentWavePanel::SendSegment(quint32 line, quint32 x, const char *text)
{
    const size_t length = text ? std::strlen(text) : 0;
    if (length != 8) {
        qCDebug(lcPanel) << "tangentWavePanel::SendSegment - ERROR len =" << length;
        return;
    }
    SendDisplayWrite(line, x, text, 8);
}

void tangentWavePanel::SendText(quint32 line, quint32 x, const char *text)
{
    const size_t length = text ? std::strlen(text) : 0;
    const quint32 clipped = length > HubMessageBuilder::MaxDisplayText ? HubMessageBuilder::MaxDisplayText + 1 : quint32(length);
    SendDisplayWrite(line, x, text, clipped);
}

void tangentWavePanel::SendDisplayWrite(quint32 line, quint32 x, const char *text, quint32 length)
{
    if (!m_hubReady)
        return;
    const quint32 kept = m_send.displayWrite(m_displayPanelId, line, x, text, length);
    if (kept < length)
        qCDebug(lcPanel) << "tangentWavePanel::SendText - text cut to" << kept << "bytes to fit the message";
    SendBuffer();
}

void tangentWavePanel::SendBuffer()
{
    if (!m_hubReady)
        return;
    // A hub that stopped reading is dropped like a failed write: memory
    // stays bounded, and a new connection brings a fresh greeting.
    const qint64 written = writeRaw(m_send.data(), m_send.size());
    if (written != qint64(m_send.size())) {
        qCDebug(lcPanel) << "write failed";
        openConnection();
    }
}
