// A planted fault for the include check: two engine files that include each other.
#pragma once

#include "engine/second.h"
