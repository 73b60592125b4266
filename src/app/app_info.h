// Icon name tables of the window module and the themes; product identity lives in base/.
#pragma once

#include "base/product.h"

#include <map>
#include <string>

namespace millconv {

// Icon name -> image slot tables used by the window module and the themes.
const std::map<std::string, int>& GadgetImageNumbers();
const std::map<std::string, int>& MenuImageNumbers();
const std::map<std::string, int>& ToolbarImageNumbers();

} // namespace millconv
