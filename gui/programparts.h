#pragma once

#include "unitlinks.h"

#include <QString>
#include <QStringList>

#include <memory>

class HDRParameterDialog;
class HdrController;
class PanelController;
class tangentWavePanel;

// The program's parts as they work together: the controller on units
// reached through the transports, the panel of the Tangent Hub on a port
// (none for port 0), and the window that shows the controller, started on the
// address and gang the user left. At the end the settings are saved first,
// then every link stops.
class ProgramParts
{
public:
    ProgramParts(UnitLinks::TransportFactory transports, quint16 hubPort, const QString &programVersion,
                 const QString &address, const QStringList &gangNames);
    ~ProgramParts();

    HdrController &controller() const { return *m_controller; }
    HDRParameterDialog &window() const { return *m_window; }

private:
    std::unique_ptr<HdrController> m_controller;
    std::unique_ptr<tangentWavePanel> m_hub;
    std::unique_ptr<PanelController> m_panel;
    std::unique_ptr<HDRParameterDialog> m_window;
};
