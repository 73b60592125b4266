// Product identity: name, version and title, read by the console, the window and the settings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace millconv {

inline constexpr int32_t kVersionNumber = 290;
inline constexpr std::string_view kProductName = "Pixelmill PNG to TGA";
inline constexpr std::string_view kProgramName = "millconv";
inline constexpr std::string_view kMakerNotice =
    "Copyright (c) 2009-2026 Pixelmill. All rights reserved.";
inline constexpr std::string_view kMakerWebAddress = "https://www.pixelmill.example/millconv/";

// "2.9" for 290, "3.0.1" for 301.
std::string VersionText(int32_t number);

// Product name, a space and the version text.
std::string AppTitle();

// First word of the product name ("Pixelmill").
std::string MakerWord();

} // namespace millconv
