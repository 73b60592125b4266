// Catalogue texts as the window's widgets take them.
#pragma once

#include <QString>

#include <string_view>

namespace millconv::ui {

// A catalogue text as a QString.
QString UiText(std::string_view section, std::string_view key);

// A catalogue text with its %s1% and %s2% placeholders filled.
QString UiText(std::string_view section, std::string_view key, std::string_view first,
               std::string_view second = {});

} // namespace millconv::ui
