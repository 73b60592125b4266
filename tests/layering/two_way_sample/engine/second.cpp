// The other half of the planted pair: it includes the header that includes it.
#include "engine/second.h"

#include "engine/first.h"
