// The simulated desktop (filled in beside this file).
#include "platform/fake/fake_platform.h"
