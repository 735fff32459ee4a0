// A simulated desktop for tests: scriptable monitors with pictures, a pointer
// with a cursor image, mode tables and a log of everything injected.
#pragma once

#include "platform/platform.h"
