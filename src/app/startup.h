// Start-up: product tables, single-instance guard, hand-over to the command line or window.
#pragma once

#include <string>
#include <vector>

namespace millconv {

// Runs the whole process and returns its exit status.
int RunApplication(int argc, char** argv);

// Ends the process with the status RunApplication returned.
[[noreturn]] void EndProcess(int status);

// The program parameters (without the program name), kept for the command-line front end.
const std::vector<std::string>& ProgramParameters();

} // namespace millconv
