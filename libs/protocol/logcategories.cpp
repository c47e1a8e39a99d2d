#include "logcategories.h"

Q_LOGGING_CATEGORY(lcDeviceLink, "prismolink.devicelink")
Q_LOGGING_CATEGORY(lcDiscovery, "prismolink.discovery")
Q_LOGGING_CATEGORY(lcGang, "prismolink.gang")
Q_LOGGING_CATEGORY(lcPanel, "prismolink.panel")
Q_LOGGING_CATEGORY(lcSettings, "prismolink.settings")
Q_LOGGING_CATEGORY(lcOsc, "prismolink.osc")
