// Catalogue texts as the window's widgets take them.
#include "ui/catalogue_text.h"

#include "settings/message_catalogue.h"

namespace millconv::ui {

QString UiText(std::string_view section, std::string_view key) {
    return QString::fromStdString(CatalogueText(section, key));
}

QString UiText(std::string_view section, std::string_view key, std::string_view first,
               std::string_view second) {
    return QString::fromStdString(FormatMessage(CatalogueText(section, key), first, second));
}

} // namespace millconv::ui
