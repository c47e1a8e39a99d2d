#pragma once

#include "knobturner.h"

#include <QString>
#include <QVector>

#include <memory>

class HubServer;
class QThread;

// The Tangent Hub stand-in (tangent-hub-sim's HubServer) on a thread of its
// own, with a hand on its knob, so that the panel's detents and display keep
// their own time however busy the window's thread is.
class PanelStandIn
{
public:
    PanelStandIn();
    ~PanelStandIn();

    // Listens on 127.0.0.1 on a free port.
    bool start(QString *error);
    quint16 port() const { return m_port; }

    // Thread-safe, see KnobTurner.
    const KnobTurner &knob() const { return *m_knob; }
    void turn(quint32 encoderId, float increment, int intervalMs, const QVector<DisplayCell> &cells);

private:
    std::unique_ptr<QThread> m_thread;
    // Both live on m_thread and are deleted there.
    HubServer *m_server = nullptr;
    KnobTurner *m_knob = nullptr;
    quint16 m_port = 0;
};
