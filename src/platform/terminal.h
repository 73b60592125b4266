// Console output and key input of the console tool.
#pragma once

#include <string>
#include <string_view>

namespace millconv {

// Writes one line to stdout and flushes it at once.
void PrintLine(std::string_view text);

// Writes one line to stderr.
void PrintErrorLine(std::string_view text);

// True once a write to stdout or stderr has failed (a closed pipe, a full disk): the run should
// end after its current files, since nobody can read what it says.
bool ConsoleOutputFailed();

// Waits for one key press without echo when stdin is a terminal; returns at once otherwise.
void WaitForKey();

// Sets the terminal title, only when stdout is a terminal.
void SetConsoleTitle(std::string_view title);

} // namespace millconv
