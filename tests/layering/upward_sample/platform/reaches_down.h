// Allowed: platform code may use the ground folder.
#pragma once

#include "base/text.h"
