// The per-user private folder that holds the instance lock and the window's hand-over socket.
#pragma once

#include <string>

namespace millconv {

// The first usable private folder of this user, ending with '/': $XDG_RUNTIME_DIR, else
// millconv-<user id> below $TMPDIR (an absolute one) or /tmp, else millconv-<user id> below
// $XDG_CACHE_HOME or ~/.cache. The last two are made when missing. Usable means a real folder
// (not a link) owned by this user that no one else may enter: a folder planted by another
// user is passed over, never used. Empty when no candidate is usable.
std::string PrivateRuntimeFolder();

} // namespace millconv
