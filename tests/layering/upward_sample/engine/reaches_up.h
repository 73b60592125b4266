// A planted fault for the include check: the engine may not see the console.
#pragma once

#include "cli/console_run.h"
