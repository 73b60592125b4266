// Parser of path texts ("M x y l dx dy Z") into Cairo path segments.
#include "draw/cairo_drawing.h"

#include <cctype>
#include <charconv>

namespace millconv {

namespace {

class PathReader {
  public:
    explicit PathReader(std::string_view text) : text_(text) {}

    void SkipSeparators() {
        while (pos_ < text_.size() &&
               (std::isspace(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == ',')) {
            ++pos_;
        }
    }

    bool AtEnd() {
        SkipSeparators();
        return pos_ >= text_.size();
    }

    char Command() { return text_[pos_++]; }

    // A number with any run of leading signs: each '-' flips it, so "--5" (minus a negative
    // length) reads as 5.
    bool Number(double& value) {
        SkipSeparators();
        bool negative = false;
        while (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) {
            negative ^= text_[pos_] == '-';
            ++pos_;
        }
        const char* begin = text_.data() + pos_;
        const char* end = text_.data() + text_.size();
        auto [next, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
        if (error != std::errc() || next == begin) {
            return false;
        }
        pos_ += std::size_t(next - begin);
        if (negative) {
            value = -value;
        }
        return true;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

bool AddPathSegments(cairo_t* cr, std::string_view segments) {
    PathReader reader(segments);
    while (!reader.AtEnd()) {
        const char command = reader.Command();
        double x = 0.0;
        double y = 0.0;
        switch (command) {
        case 'M':
        case 'm':
        case 'L':
        case 'l':
            if (!reader.Number(x) || !reader.Number(y)) {
                return false;
            }
            break;
        case 'Z':
        case 'z':
            cairo_close_path(cr);
            continue;
        default:
            return false;
        }
        // Relative segments need a current point; without one Cairo would poison the context.
        const bool relative = command == 'm' || command == 'l';
        if (relative && !cairo_has_current_point(cr)) {
            return false;
        }
        switch (command) {
        case 'M':
            cairo_move_to(cr, x, y);
            break;
        case 'm':
            cairo_rel_move_to(cr, x, y);
            break;
        case 'L':
            if (cairo_has_current_point(cr)) {
                cairo_line_to(cr, x, y);
            } else {
                cairo_move_to(cr, x, y);
            }
            break;
        default:
            cairo_rel_line_to(cr, x, y);
            break;
        }
    }
    return true;
}

} // namespace millconv
