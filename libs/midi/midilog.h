#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMidi) // prismolink.midi: MIDI ports, controllers connected and gone, what was dropped
