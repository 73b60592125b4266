// The console conversion run: checks, debug echo, import, worker and result lines.
#pragma once

namespace millconv {

// Converts the file named with -i after the command line has been parsed. Prints the
// status lines (unless quiet), the debug echo (run mode "DEBUG") and every error line.
// Returns the exit status: 0 when the file was converted, 1 after an "Error: " line or
// "Conversion stopped".
int RunConsoleConversion(bool quiet);

struct BatchRequest;

// The same for a --batch run: the inputs of the request instead of the one -i file; without
// -o the output folder is the first input's folder (a folder input's own).
int RunConsoleConversion(bool quiet, const BatchRequest& batch);

} // namespace millconv
