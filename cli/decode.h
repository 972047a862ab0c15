// The decoder behind --decode lives in the portable core; this header gathers it for the command line.
#ifndef SONOREL_CLI_DECODE_H
#define SONOREL_CLI_DECODE_H

#include "engine/tune_recognizer.h"
#include "smf/sysex_decoder.h"

#endif
