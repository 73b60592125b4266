// Hands a file, web address or mailto: link to the desktop's opener.
#pragma once

#include <string>

namespace millconv {

// Runs xdg-open on the target in the background; the result is not checked.
void OpenDocument(const std::string& target);

} // namespace millconv
