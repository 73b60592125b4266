// Background threads that yield to the window's thread.
#pragma once

namespace millconv {

// Makes the calling thread the first to wait when the processors are busy (a higher nice
// value for this thread alone), so work done for display never slows the window down. Best
// effort: a refusal changes nothing.
void LowerCurrentThreadPriority();

} // namespace millconv
