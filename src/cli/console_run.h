// The console conversion run: checks, debug echo, import, worker and result lines.
#pragma once

namespace millconv {

// Converts the file named with -i after the command line has been parsed. Prints the
// status lines (unless quiet), the debug echo (run mode "DEBUG") and every error line.
// Returns the exit status: 0 when the file was converted, 1 after an "Error: " line or
// "Conversion stopped".
int RunConsoleConversion(bool quiet);

} // namespace millconv
