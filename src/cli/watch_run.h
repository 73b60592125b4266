// The console's watch run: convert what is in the input folders, then whatever arrives.
#pragma once

namespace millconv {

struct BatchRequest;

// The rest of a --watch console run once the checks of a batch run have passed and the output
// parameters are prepared. Arms the watches first (a path that cannot be watched is an error
// line and status 1), converts what is there with the batch lines, then every input file
// closed after writing or moved in, below -o as a batch run names it, until SIGINT or SIGTERM.
// Ends with "Files converted: k of n" over every conversion attempted; status 0 when none
// failed.
int RunWatchConversion(bool quiet, const BatchRequest& request);

} // namespace millconv
