// Compiled, never run, by the compile checks: a preferences row builds only when the setting it
// edits names a row of the settings table. MILLCONV_CASE picks the row under test.
#include "ui/preferences/row_controls.h"

namespace millconv::ui {

void BuildRow(RowBuilder& rows) {
#if MILLCONV_CASE == 0
    rows.Check(0, "Image Invert", SettingRef("Adjustment", "Image Invert"));
#elif MILLCONV_CASE == 1
    // A misspelt key.
    rows.Check(0, "Image Invert", SettingRef("Adjustment", "Image Invret"));
#elif MILLCONV_CASE == 2
    // A real key in another group.
    rows.Slider(0, "Opacity", SettingRef("Watermark", "Solid Opacity"), 1, 255);
#elif MILLCONV_CASE == 3
    // The unit list's setting is checked as well.
    rows.Number(0, "Image Width", SettingRef("Transform", "Image Width"), {"Pixels"},
                SettingRef("Transform", "Image Width Units"));
#endif
}

} // namespace millconv::ui
