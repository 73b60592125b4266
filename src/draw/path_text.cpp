// Parser of path texts ("M x y l dx dy Z") into Cairo path segments.
#include "draw/cairo_drawing.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

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

struct Point {
    double x = 0.0;
    double y = 0.0;
};

bool Within(const ClipBox& box, const Point& p) {
    return p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom;
}

// Clipping to a convex area keeps the winding number, and so the filled pixels, of every point
// inside it. One Sutherland-Hodgman step: the closed polygon cut to the inner side of one edge.
template <typename Inside, typename Cross>
std::vector<Point> ClipAgainst(const std::vector<Point>& polygon, Inside inside, Cross cross) {
    std::vector<Point> out;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Point& from = polygon[i];
        const Point& to = polygon[(i + 1) % polygon.size()];
        const bool fromIn = inside(from);
        const bool toIn = inside(to);
        if (fromIn) {
            out.push_back(from);
        }
        if (fromIn != toIn) {
            out.push_back(cross(from, to));
        }
    }
    return out;
}

std::vector<Point> ClipToBox(std::vector<Point> polygon, const ClipBox& box) {
    auto atX = [](double x) {
        return [x](const Point& a, const Point& b) {
            return Point{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)};
        };
    };
    auto atY = [](double y) {
        return [y](const Point& a, const Point& b) {
            return Point{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y};
        };
    };
    polygon = ClipAgainst(
        polygon, [&](const Point& p) { return p.x >= box.left; }, atX(box.left));
    polygon = ClipAgainst(
        polygon, [&](const Point& p) { return p.x <= box.right; }, atX(box.right));
    polygon = ClipAgainst(
        polygon, [&](const Point& p) { return p.y >= box.top; }, atY(box.top));
    polygon = ClipAgainst(
        polygon, [&](const Point& p) { return p.y <= box.bottom; }, atY(box.bottom));
    return polygon;
}

// Collects the points of one subpath and hands them to Cairo, clipped when they reach beyond
// the box. The current point is kept here, unclipped, so relative segments go on
// from where the text put them.
class SubpathBuilder {
  public:
    SubpathBuilder(cairo_t* cr, const ClipBox& box)
        : cr_(cr), box_(box), hasCurrent_(cairo_has_current_point(cr)) {
        if (hasCurrent_) {
            cairo_get_current_point(cr_, &current_.x, &current_.y);
        }
    }

    bool HasCurrentPoint() const { return hasCurrent_; }
    Point CurrentPoint() const { return current_; }

    void MoveTo(Point p) {
        Flush(false);
        points_.push_back(p);
        current_ = p;
        hasCurrent_ = true;
    }

    void LineTo(Point p) {
        if (points_.empty()) {
            points_.push_back(current_);
        }
        points_.push_back(p);
        current_ = p;
    }

    // Ends the subpath; its start becomes the current point.
    void Close() {
        if (!points_.empty()) {
            current_ = points_.front();
        }
        Flush(true);
    }

    void Finish() { Flush(false); }

  private:
    void Flush(bool close) {
        if (points_.empty()) {
            if (close) {
                cairo_close_path(cr_);
            }
            return;
        }
        std::vector<Point> points = std::move(points_);
        points_.clear();
        if (!std::ranges::all_of(points, [&](const Point& p) { return Within(box_, p); })) {
            // Only a filled area matters here, and a fill closes every subpath anyway.
            points = ClipToBox(std::move(points), box_);
            close = true;
            if (points.empty()) {
                return;
            }
        }
        cairo_move_to(cr_, points.front().x, points.front().y);
        for (std::size_t i = 1; i < points.size(); ++i) {
            cairo_line_to(cr_, points[i].x, points[i].y);
        }
        if (close) {
            cairo_close_path(cr_);
        }
    }

    cairo_t* cr_;
    ClipBox box_;
    std::vector<Point> points_;
    Point current_;
    bool hasCurrent_ = false;
};

} // namespace

bool AddPathSegments(cairo_t* cr, std::string_view segments, const ClipBox& box) {
    PathReader reader(segments);
    SubpathBuilder path(cr, box);
    bool ok = true;
    while (ok && !reader.AtEnd()) {
        const char command = reader.Command();
        double x = 0.0;
        double y = 0.0;
        switch (command) {
        case 'M':
        case 'm':
        case 'L':
        case 'l':
            ok = reader.Number(x) && reader.Number(y);
            break;
        case 'Z':
        case 'z':
            path.Close();
            continue;
        default:
            ok = false;
            break;
        }
        if (!ok) {
            break;
        }
        // Relative segments need a current point to start from.
        const bool relative = command == 'm' || command == 'l';
        if (relative && !path.HasCurrentPoint()) {
            ok = false;
            break;
        }
        const Point base = relative ? path.CurrentPoint() : Point{};
        const Point target{base.x + x, base.y + y};
        if (command == 'M' || command == 'm' || !path.HasCurrentPoint()) {
            path.MoveTo(target);
        } else {
            path.LineTo(target);
        }
    }
    // The segments before a fault stay added.
    path.Finish();
    return ok;
}

} // namespace millconv
