// The built-in English message catalogue: every visible text by section and key.
#pragma once

#include <string>
#include <string_view>

namespace millconv {

// Builds the catalogue and its per-section index; later calls do nothing.
void BuildMessageCatalogue();

// The text of section/key, matched in any letter case; "%NO_STRING_ERROR%" when unknown
// or when the key is empty. Builds the catalogue on first use.
std::string CatalogueText(std::string_view section, std::string_view key);

// Replaces "%s1%".."%s4%" in the template by the given values, in that order.
std::string FormatMessage(std::string_view text, std::string_view s1 = {},
                          std::string_view s2 = {}, std::string_view s3 = {},
                          std::string_view s4 = {});

} // namespace millconv
