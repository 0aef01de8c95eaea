#pragma once

// The library's own numbers, for tests that check them: read from the library rather than typed
// again, so that a value changed there is changed here.

#include "Constants.h"
