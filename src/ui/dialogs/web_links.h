// The maker's addresses, the links the window opens and the texts the small windows share.
#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "base/product.h"
#include "ui/catalogue_text.h"

namespace millconv::ui {

inline constexpr std::string_view kSiteRootUrl = "https://www.pixelmill.example/";
inline constexpr std::string_view kProductPageUrl = kMakerWebAddress;
inline constexpr std::string_view kSupportAddress = "support@pixelmill.example";

// The notice line of the About window.
inline constexpr std::string_view kNoticeLine = kMakerNotice;

// The window title: product name and version ("Pixelmill PNG to TGA 2.9").
QString WindowTitle();

// "mailto:" and the support address.
std::string SupportMailLink();

// "mailto:" + support address + "?subject=" + window title + " Feedback", percent-encoded.
std::string FeedbackLink();

// The maker's converter search for two cleaned file types: ".../find/<source>-<target>/".
std::string ConverterSearchLink(const std::string& source, const std::string& target);

// The page the uninstall page offers: ".../millconv/uninstall.html".
std::string UninstallLink();

// The manual beside a program run from the build tree (programFolder + "docs/millconv.html")
// when that file exists, else the installed manual (../share/doc/millconv/ from the program).
std::string UserManualPath(const std::string& programFolder);

} // namespace millconv::ui
