#include "panelstandin.h"

#include "hubserver.h"

#include <QThread>

PanelStandIn::PanelStandIn() : m_thread(std::make_unique<QThread>())
{
    m_thread->setObjectName(QStringLiteral("panel stand-in"));
    m_server = new HubServer;
    m_knob = new KnobTurner(*m_server);
    m_server->moveToThread(m_thread.get());
    m_knob->moveToThread(m_thread.get());
    m_thread->start();
}

PanelStandIn::~PanelStandIn()
{
    QMetaObject::invokeMethod(
        m_server,
        [this] {
            delete m_knob;
            delete m_server;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

bool PanelStandIn::start(QString *error)
{
    bool listening = false;
    QMetaObject::invokeMethod(
        m_server,
        [&] {
            listening = m_server->listen(0);
            m_port = m_server->port();
            if (!listening && error)
                *error = m_server->errorString();
        },
        Qt::BlockingQueuedConnection);
    return listening;
}

void PanelStandIn::turn(quint32 encoderId, float increment, int intervalMs, const QVector<DisplayCell> &cells)
{
    QMetaObject::invokeMethod(
        m_knob, [=] { m_knob->turn(encoderId, increment, intervalMs, cells); }, Qt::BlockingQueuedConnection);
}
