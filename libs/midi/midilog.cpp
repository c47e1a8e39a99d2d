#include "midilog.h"

Q_LOGGING_CATEGORY(lcMidi, "prismolink.midi")
