#pragma once

#include "clientif.h"
#include "displaysink.h"
#include "hubmessageassembler.h"
#include "hubmessagebuilder.h"

#include <cstdint>

struct HubCommand;

// The program's side of the Tangent Hub connection (raw-control mode): it
// connects to the hub at 127.0.0.1 on the port it is given,
// announces the program when the hub greets it, turns panel events into the
// sig_ signals and writes display text.
//
// Until the hub has greeted the program on the current connection every send
// is dropped. A lost connection is retried every few seconds without
// blocking; the hub greets again on the new connection, and sig_hubGreeted()
// tells the owner to draw the current panel page again.
class tangentWavePanel : public ClientIF, public DisplaySink
{
    Q_OBJECT

public:
    // Starts connecting to the hub at 127.0.0.1 on the port at once and
    // returns without waiting.
    explicit tangentWavePanel(quint16 port);

    // Sends a cell of exactly 8 bytes; any other length is logged and not sent.
    void SendSegment(quint32 line, quint32 x, const char *text) override;
    // Sends the whole text; one longer than a message can hold is cut to fit.
    void SendText(quint32 line, quint32 x, const char *text) override;

    bool hubReady() const { return m_hubReady; }
    quint32 protocolRevision() const { return m_protocolRevision; }
    quint32 displayPanelId() const { return m_displayPanelId; }

Q_SIGNALS:
    void sig_encoder(uint32_t encoderId, float delta);
    void sig_buttonDown(uint32_t butonId);
    void sig_buttonUp(uint32_t buttonId);
    void sig_refreshMe();
    // The hub greeted the program on a new connection and the program has
    // announced itself: the panel display is blank and can be drawn.
    void sig_hubGreeted();

public Q_SLOTS:
    void openConnection() override;
    void readMsg() override;
    void displayError(QAbstractSocket::SocketError socketError) override;

private:
    void ProcessMessage(const uchar *body, quint32 length);
    void actOn(const HubCommand &command);
    void SendAppDefinition();
    void SendPanelRequests(const HubCommand &greeting);
    void SendParameterValue(quint32 parameterId);
    void SendMenuString(quint32 menuId);
    void SendModeValue(quint32 modeId);
    void SendDisplayWrite(quint32 line, quint32 x, const char *text, quint32 length);
    void SendBuffer();

    HubMessageBuilder m_send;
    HubMessageAssembler m_receive;
    quint32 m_protocolRevision = 0;
    quint32 m_displayPanelId = 0;
    bool m_hubReady = false;
    // Counts connection starts, so message processing notices that a slot's
    // failed write replaced the connection the message came from.
    quint64 m_connectionSerial = 0;
};
