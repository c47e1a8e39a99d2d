#pragma once

#include <QLoggingCategory>

// The program's diagnostics by subsystem, so each can be switched on and off
// with QT_LOGGING_RULES (for example "prismolink.devicelink=false").
Q_DECLARE_LOGGING_CATEGORY(lcDeviceLink) // prismolink.devicelink: requests and replies of the units
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery)  // prismolink.discovery: the units' list
Q_DECLARE_LOGGING_CATEGORY(lcGang)       // prismolink.gang: the gang and its passes
Q_DECLARE_LOGGING_CATEGORY(lcPanel)      // prismolink.panel: the Tangent Hub and the panel
Q_DECLARE_LOGGING_CATEGORY(lcSettings)   // prismolink.settings: the settings store
Q_DECLARE_LOGGING_CATEGORY(lcOsc)        // prismolink.osc: remote control
