// Marks that let the runs of one user share the look for leftover temporary files: a script
// converting file after file into one folder would otherwise list that folder once per file.
#pragma once

#include <ctime>
#include <string>

namespace millconv {

// How long a folder some run looked through is left alone by the runs after it.
inline constexpr time_t kSweepRestSeconds = 60;

// The mark of folder in this user's private folder; empty when the user has none.
std::string SweepMarkPath(const std::string& folder);

// Whether the mark tells of a look through its folder less than kSweepRestSeconds before now.
// A missing mark, or one from the future (the clock was set back), tells of none.
bool SweptRecently(const std::string& mark, time_t now);

// Records a look through the mark's folder now.
void MarkSwept(const std::string& mark);

} // namespace millconv
