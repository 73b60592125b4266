// Ctrl+C and termination requests during a console run: finish the current files, then stop.
#pragma once

#include <atomic>

namespace millconv {

// One at a time. Installs the stop handlers for its lifetime and puts the previous ones back. A
// request sets the flag (the workers finish the files they are on) and makes the wake descriptor
// readable, so a run that waits in poll() sees it at once.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    const std::atomic<bool>& Flag() const;
    bool Requested() const { return Flag().load(); }
    // Readable once a stop was requested; -1 when no pipe could be made.
    int WakeDescriptor() const;
};

// Requests a stop as Ctrl+C does, for a run that cannot go on (nobody reads its output).
void RequestRunStop();

} // namespace millconv
