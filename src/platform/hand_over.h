// Files handed to the running window: the socket's place and the sending side (no Qt here,
// so the executable stays free of it; the window listens with Qt's local server).
#pragma once

#include <chrono>
#include <string>

namespace millconv {

// The socket the running window listens on, in the private runtime folder beside the
// instance lock; empty when there is no such folder.
std::string HandOverSocketPath(const std::string& title);

// The byte the window answers with once it has taken a file.
inline constexpr char kHandOverTaken = '1';

// Sends path (terminated by a NUL byte: a path holds none) to the window listening on
// socketPath and waits for its answer. True when the window took the file within the limit,
// which covers connecting, sending and the answer.
bool HandOverFile(const std::string& socketPath, const std::string& path,
                  std::chrono::milliseconds limit);

} // namespace millconv
