// Output format id, requested depth and writer flags of a run.
#pragma once

#include "engine/run.h"

#include <cstdint>
#include <string_view>

namespace millconv {

// Fills output's format id, requested depth, save flags, automatic-depth flag and TGA choices
// for the extension in output.conversion, from the output settings. An extension without a
// depth setting keeps output's depth and flags; one missing from the output catalogue gets
// FIF_UNKNOWN, so its save fails instead of writing another format.
void PrepareOutputParameters(OutputParameters& output, const Settings::Output& settings);

// The writer flags of one output format from the output settings; an option value outside
// its known range contributes nothing.
int32_t SaveFlagsForFormat(std::string_view extension, const Settings::Output& settings);

// The depth setting ("TGA BPP" and so on) of an output extension; nullptr when the format
// has none.
const int32_t* DepthSettingFor(std::string_view extension, const Settings::Output& settings);

// Sets the TGA alpha and origin choices of output from the output settings; other formats
// keep neither.
void ApplyTextureOptions(OutputParameters& output, const Settings::Output& settings);

} // namespace millconv
