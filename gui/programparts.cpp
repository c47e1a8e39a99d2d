#include "programparts.h"

#include "hdrcontroller.h"
#include "hdrparameterdialog.h"
#include "panelcontroller.h"
#include "prismosettings.h"
#include "tangentwavepanel.h"
#include "unitchooser.h"

ProgramParts::ProgramParts(UnitLinks::TransportFactory transports, quint16 hubPort, const QString &programVersion,
                           const QString &address, const QStringList &gangNames)
    : m_controller(std::make_unique<HdrController>(std::move(transports)))
{
    if (hubPort != 0) {
        m_hub = std::make_unique<tangentWavePanel>(hubPort);
        m_panel = std::make_unique<PanelController>(*m_controller, *m_hub);
    }
    m_window = std::make_unique<HDRParameterDialog>(*m_controller, programVersion, address);
    m_controller->start(address, gangNames);
}

ProgramParts::~ProgramParts()
{
    PrismoSettings::save(m_window->address(), m_controller->units().gangNamesToSave());
    m_window.reset();
    m_panel.reset();
    m_controller->shutdown();
}
