// Text that Pango lays out as one run, shaped without a layout.
#include "draw/cairo_drawing.h"

#include <climits>

namespace millconv {

namespace {

// Characters that a layout does not shape with the text around them: control characters
// (tabs, line and paragraph ends) and the next-line, line and paragraph separators.
bool HasLayoutBreaks(std::string_view text) {
    for (const unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            return true;
        }
    }
    for (const std::string_view separator : {"\u0085", "\u2028", "\u2029"}) {
        if (text.find(separator) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<SingleRun> ShapeSingleRun(PangoContext* context, const PangoFontDescription* font,
                                        std::string_view text) {
    if (text.empty() || text.size() > size_t(INT_MAX) || HasLayoutBreaks(text) ||
        !g_utf8_validate(text.data(), gssize(text.size()), nullptr)) {
        return std::nullopt;
    }
    const int length = int(text.size());
    pango_context_set_font_description(context, font);
    // Itemised in the context's direction: a layout takes that of the first strong character,
    // which for left-to-right text levels the text alike, and a right-to-left paragraph never
    // comes out as one even-levelled item.
    PangoAttrList* attributes = pango_attr_list_new();
    GList* items = pango_itemize(context, text.data(), 0, length, attributes, nullptr);
    pango_attr_list_unref(attributes);
    std::optional<SingleRun> run;
    const auto* item = items != nullptr && items->next == nullptr
                           ? static_cast<const PangoItem*>(items->data)
                           : nullptr;
    if (item != nullptr && item->offset == 0 && item->length == length &&
        item->analysis.level % 2 == 0 && item->analysis.font != nullptr) {
        run.emplace();
        run->font.reset(PANGO_FONT(g_object_ref(item->analysis.font)));
        run->glyphs.reset(pango_glyph_string_new());
        const PangoShapeFlags flags = pango_context_get_round_glyph_positions(context)
                                          ? PANGO_SHAPE_ROUND_POSITIONS
                                          : PANGO_SHAPE_NONE;
        pango_shape_with_flags(text.data(), length, text.data(), length, &item->analysis,
                               run->glyphs.get(), flags);
        pango_glyph_string_extents(run->glyphs.get(), run->font.get(), nullptr, &run->logical);
    }
    g_list_free_full(items, [](gpointer each) { pango_item_free(static_cast<PangoItem*>(each)); });
    return run;
}

} // namespace millconv
