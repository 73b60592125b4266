// Product identity: name, version, title and the icon name tables.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace millconv {

inline constexpr int32_t kVersionNumber = 290;
inline constexpr std::string_view kProductName = "Pixelmill PNG to TGA";
inline constexpr std::string_view kProgramName = "millconv";

// "2.9" for 290, "3.0.1" for 301.
std::string VersionText(int32_t number);

// Product name, a space and the version text.
std::string AppTitle();

// First word of the product name ("Pixelmill").
std::string MakerWord();

// Icon name -> image slot tables used by the window module and the themes.
const std::map<std::string, int>& GadgetImageNumbers();
const std::map<std::string, int>& MenuImageNumbers();
const std::map<std::string, int>& ToolbarImageNumbers();

} // namespace millconv
