#pragma once

#include "tavirestconfigcontrol.h"
#include "unitlinks.h"
#include "unittransport.h"

#include <QString>

// A unit reached over its HTTP parameter interface with the device link.
class HttpTransport : public UnitTransport
{
public:
    HttpTransport(const QString &address, int port);
    // Transports to units that answer on this port.
    static UnitLinks::TransportFactory factory(int port);

    // The device link's diagnostics go to the log (category prismolink.devicelink)
    // instead of straight to the console.
    static void sendDiagnosticsToLog();

    Result get(const QByteArray &name, const QByteArray &format, int bodyLimit) override;
    Result set(const QByteArray &name, const QByteArray &value) override;
    void close() override;
    void interrupt() override;

private:
    TAVIRESTConfigControl m_link;
};
