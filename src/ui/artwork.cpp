// Built-in and theme artwork drawn by code, so every picture comes out sharp at any size.
#include "ui/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <functional>
#include <map>

namespace millconv::ui {

namespace {

// Every icon is designed on a 16 x 16 unit grid; outlines sit on half units so that they fall
// on whole pixels at 16 px.
constexpr double kGrid = 16.0;

enum class Role {
    Paper,
    Fold,
    Lines,
    Folder,
    FolderFront,
    Green,
    Red,
    Blue,
    Sky,
    Yellow,
    Orange,
    Grey,
    Brown,
    White,
    Ink
};

QColor PaletteColour(Role role, ArtStyle style) {
    // Columns: built-in, hand-drawn (warm, like coloured pencils), flat.
    struct Entry {
        Role role;
        QRgb colours[3];
    };
    static const Entry kPalette[] = {
        {Role::Paper, {0xffffffff, 0xfffff4dc, 0xffe8eef3}},
        {Role::Fold, {0xffd5dbe3, 0xffe8cfa0, 0xffbac6d1}},
        {Role::Lines, {0xff8b97a6, 0xffb08a60, 0xff7f8c99}},
        {Role::Folder, {0xffe8a92e, 0xffe0953a, 0xfff39c12}},
        {Role::FolderFront, {0xfff7cd5c, 0xfff2bd5e, 0xfff7bd45}},
        {Role::Green, {0xff2f9e44, 0xff79a843, 0xff27ae60}},
        {Role::Red, {0xffd9362b, 0xffcf5434, 0xffe74c3c}},
        {Role::Blue, {0xff2f6fc4, 0xff3f7fa6, 0xff2980b9}},
        {Role::Sky, {0xff9fd0f5, 0xffa8d2da, 0xff85c1e9}},
        {Role::Yellow, {0xfff5c211, 0xfff2c032, 0xfff1c40f}},
        {Role::Orange, {0xfff07f13, 0xffe9803a, 0xffe67e22}},
        {Role::Grey, {0xff6c7a89, 0xff8a7a66, 0xff7f8c8d}},
        {Role::Brown, {0xff8a5a2b, 0xff8e5a34, 0xffa0522d}},
        {Role::White, {0xffffffff, 0xfffffaf0, 0xffffffff}},
        {Role::Ink, {0xff2e3440, 0xff5a3b28, 0xff2c3e50}},
    };
    for (const Entry& entry : kPalette) {
        if (entry.role == role) {
            return QColor::fromRgba(entry.colours[static_cast<int>(style)]);
        }
    }
    return Qt::magenta;
}

// Small deterministic noise, so a build draws the same wobble every time.
class Noise {
  public:
    explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    double Next() { // -1 .. 1
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_ % 20001u) / 10000.0 - 1.0;
    }

  private:
    uint32_t state_;
};

uint32_t Seed(const QString& key) {
    uint32_t hash = 2166136261u;
    for (QChar c : key) {
        hash = (hash ^ c.unicode()) * 16777619u;
    }
    return hash;
}

// The pen and brush work of one picture, in grid units, in the chosen style.
class Sketch {
  public:
    Sketch(QPainter& painter, int pixels, ArtStyle style, uint32_t seed)
        : painter_(painter), style_(style), noise_(seed), scale_(pixels / kGrid) {
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.scale(scale_, scale_);
        // Outlines: one pixel at 16 px, then growing more slowly than the picture.
        double outlinePixels = pixels <= 16 ? 1.0 : pixels / kGrid * 0.72;
        if (style == ArtStyle::HandDrawn) {
            outlinePixels = pixels <= 16 ? 1.0 : pixels / kGrid * 0.85;
        }
        outline_ = outlinePixels / scale_;
        wobble_ = style == ArtStyle::HandDrawn ? (pixels <= 16 ? 0.2 : 0.26) : 0.0;
    }

    ArtStyle Style() const { return style_; }
    QColor Colour(Role role) const { return PaletteColour(role, style_); }

    // A filled shape with its outline.
    void Shape(const QPainterPath& path, Role fill) {
        QColor colour = Colour(fill);
        painter_.setPen(Qt::NoPen);
        if (style_ == ArtStyle::HandDrawn) {
            // Loose colouring: the fill strays a little from the outline.
            painter_.setBrush(colour);
            painter_.drawPath(path.translated(wobble_ * 0.9, wobble_ * 1.1));
        } else if (style_ == ArtStyle::BuiltIn) {
            QRectF box = path.boundingRect();
            QLinearGradient gradient(box.topLeft(), box.bottomLeft());
            gradient.setColorAt(0, colour.lighter(112));
            gradient.setColorAt(1, colour.darker(106));
            painter_.setBrush(gradient);
            painter_.drawPath(path);
        } else {
            painter_.setBrush(colour);
            painter_.drawPath(path);
        }
        QColor line = style_ == ArtStyle::Flat ? colour.darker(165) : Colour(Role::Ink);
        if (fill == Role::Paper && style_ == ArtStyle::BuiltIn) {
            line = Colour(Role::Grey);
        }
        Outline(path, line, outline_);
    }

    // A filled shape without an outline (details on top of a shape).
    void Fill(const QPainterPath& path, Role fill) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(Colour(fill));
        painter_.drawPath(style_ == ArtStyle::HandDrawn ? Wobbled(path, wobble_ * 0.6) : path);
    }

    // A line of the given width in units, with round ends.
    void Stroke(const QPainterPath& path, Role colour, double width) {
        Outline(path, Colour(colour), width);
    }

    double OutlineWidth() const { return outline_; }

  private:
    void Outline(const QPainterPath& path, const QColor& colour, double width) {
        QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter_.setPen(pen);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawPath(style_ == ArtStyle::HandDrawn ? Wobbled(path, wobble_) : path);
    }

    // The path as polylines whose points stray sideways by up to `amount` units.
    QPainterPath Wobbled(const QPainterPath& path, double amount) {
        // Flatten at a fine scale: the grid is small, so curves would otherwise be coarse.
        constexpr double kFine = 16.0;
        QPainterPath result;
        result.setFillRule(path.fillRule());
        const QList<QPolygonF> polygons =
            path.toSubpathPolygons(QTransform::fromScale(kFine, kFine));
        for (const QPolygonF& fine : polygons) {
            QPolygonF polygon;
            for (const QPointF& point : fine) {
                polygon << point / kFine;
            }
            if (polygon.size() < 2) {
                continue;
            }
            bool closed = polygon.first() == polygon.last();
            // The stray follows the distance drawn, so lines bend gently instead of jittering.
            double phase1 = noise_.Next() * M_PI;
            double phase2 = noise_.Next() * M_PI;
            double total = 0.0;
            for (qsizetype i = 0; i + 1 < polygon.size(); ++i) {
                total += std::hypot(polygon[i + 1].x() - polygon[i].x(),
                                    polygon[i + 1].y() - polygon[i].y());
            }
            double slow = 0.5;
            double fast = 1.3;
            if (closed && total > 0) { // whole waves round a closed outline, so it meets itself
                slow = 2 * M_PI * std::max(1.0, std::round(total * slow / (2 * M_PI))) / total;
                fast = 2 * M_PI * std::max(2.0, std::round(total * fast / (2 * M_PI))) / total;
            }
            double travelled = 0.0;
            auto stray = [&](double distance) {
                return amount * (0.65 * std::sin(distance * slow + phase1) +
                                 0.35 * std::sin(distance * fast + phase2));
            };
            QPolygonF wobbly;
            for (qsizetype i = 0; i + 1 < polygon.size(); ++i) {
                QPointF from = polygon[i];
                QPointF to = polygon[i + 1];
                QPointF along = to - from;
                double length = std::hypot(along.x(), along.y());
                if (length < 1e-6) {
                    continue;
                }
                QPointF across(-along.y() / length, along.x() / length);
                int pieces = std::max(1, static_cast<int>(std::ceil(length / 0.8)));
                for (int piece = 0; piece < pieces; ++piece) {
                    double t = static_cast<double>(piece) / pieces;
                    wobbly << from + along * t + across * stray(travelled + length * t);
                }
                travelled += length;
            }
            wobbly << (closed && !wobbly.isEmpty() ? wobbly.first() : polygon.last());
            result.addPolygon(wobbly);
            if (closed) {
                result.closeSubpath();
            }
        }
        return result;
    }

    QPainter& painter_;
    ArtStyle style_;
    Noise noise_;
    double scale_;
    double outline_ = 1.0;
    double wobble_ = 0.0;
};

// ---- Path builders (grid units) ----

QPainterPath RectPath(double x, double y, double w, double h) {
    QPainterPath path;
    path.addRect(x, y, w, h);
    return path;
}

QPainterPath RoundRectPath(double x, double y, double w, double h, double r) {
    QPainterPath path;
    path.addRoundedRect(x, y, w, h, r, r);
    return path;
}

QPainterPath Circle(double cx, double cy, double r) {
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

QPainterPath PolygonPath(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath LinePath(QPointF from, QPointF to) {
    QPainterPath path(from);
    path.lineTo(to);
    return path;
}

// A sheet of paper with a folded top-right corner and optional text lines.
void Page(Sketch& s, double x, double y, double w, double h, int lines) {
    double fold = std::min(w, h) * 0.36;
    s.Shape(PolygonPath({{x, y}, {x + w - fold, y}, {x + w, y + fold}, {x + w, y + h}, {x, y + h}}),
            Role::Paper);
    s.Shape(PolygonPath({{x + w - fold, y}, {x + w - fold, y + fold}, {x + w, y + fold}}),
            Role::Fold);
    for (int line = 0; line < lines; ++line) {
        double ly = y + fold + 2.0 + line * 2.0;
        if (ly > y + h - 1.5) {
            break;
        }
        s.Stroke(LinePath({x + 2.0, ly}, {x + w - 2.0, ly}), Role::Lines, 1.0);
    }
}

// A little landscape (sky, hill, sun) inside a rectangle: marks a picture file.
void Landscape(Sketch& s, double x, double y, double w, double h) {
    s.Shape(RectPath(x, y, w, h), Role::Sky);
    s.Fill(Circle(x + w * 0.72, y + h * 0.32, std::min(w, h) * 0.17), Role::Yellow);
    s.Fill(PolygonPath({{x, y + h},
                        {x + w * 0.38, y + h * 0.42},
                        {x + w * 0.7, y + h},
                        {x + w * 0.62, y + h * 0.7},
                        {x + w * 0.78, y + h * 0.55},
                        {x + w, y + h}}),
           Role::Green);
}

void FolderBack(Sketch& s, double x, double y, double w, double h) {
    double tab = w * 0.4;
    s.Shape(PolygonPath({{x, y + h},
                         {x, y},
                         {x + tab, y},
                         {x + tab + 1.5, y + 1.5},
                         {x + w, y + 1.5},
                         {x + w, y + h}}),
            Role::Folder);
}

void FolderFront(Sketch& s, double x, double y, double w, double h) {
    s.Shape(PolygonPath({{x, y + h}, {x + 0.0, y + 4.0}, {x + w, y + 4.0}, {x + w, y + h}}),
            Role::FolderFront);
}

void Folder(Sketch& s, double x, double y, double w, double h) {
    FolderBack(s, x, y, w, h);
    FolderFront(s, x, y, w, h);
}

// A solid arrow from `from` to `to`.
QPainterPath ArrowPath(QPointF from, QPointF to, double shaft, double head, double headLength) {
    QPointF along = to - from;
    double length = std::hypot(along.x(), along.y());
    QPointF unit = along / length;
    QPointF across(-unit.y(), unit.x());
    QPointF neck = to - unit * headLength;
    return PolygonPath({from + across * (shaft / 2), neck + across * (shaft / 2),
                        neck + across * (head / 2), to, neck - across * (head / 2),
                        neck - across * (shaft / 2), from - across * (shaft / 2)});
}

QPainterPath StarPath(double cx, double cy, double outer, double inner) {
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        double angle = -M_PI / 2 + i * M_PI / 5;
        double r = (i % 2 == 0) ? outer : inner;
        points << QPointF(cx + r * std::cos(angle), cy + r * std::sin(angle));
    }
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

// An open tray (inbox) along the bottom.
void Tray(Sketch& s) {
    s.Shape(PolygonPath({{0.5, 9.5},
                         {4.5, 9.5},
                         {5.5, 11.5},
                         {10.5, 11.5},
                         {11.5, 9.5},
                         {15.5, 9.5},
                         {15.5, 15.5},
                         {0.5, 15.5}}),
            Role::Grey);
}

// ---- The icons ----

void DrawNew(Sketch& s) {
    Page(s, 2.5, 0.5, 11, 15, 4);
    s.Shape(StarPath(12.0, 4.2, 4.0, 1.8), Role::Yellow);
}

void DrawAdd(Sketch& s) {
    Page(s, 1.5, 0.5, 10, 13, 3);
    s.Shape(Circle(11.5, 11.5, 4.0), Role::Green);
    s.Stroke(LinePath({11.5, 9.3}, {11.5, 13.7}), Role::White, 1.6);
    s.Stroke(LinePath({9.3, 11.5}, {13.7, 11.5}), Role::White, 1.6);
}

void DrawInFiles(Sketch& s) {
    Page(s, 5.5, 0.5, 10, 11, 0);
    s.Shape(RectPath(1.5, 4.5, 10, 11), Role::Paper);
    Landscape(s, 3.0, 6.0, 7.0, 8.0);
}

void DrawInFolder(Sketch& s) {
    FolderBack(s, 0.5, 2.5, 15, 13);
    s.Shape(RectPath(3.5, 1.5, 9, 9), Role::Paper);
    Landscape(s, 4.8, 2.8, 6.4, 5.0);
    FolderFront(s, 0.5, 4.5, 15, 11);
}

void DrawOutFolder(Sketch& s) {
    Folder(s, 0.5, 3.5, 13, 12);
    s.Shape(ArrowPath({6.0, 12.0}, {15.5, 2.5}, 2.6, 6.8, 4.2), Role::Green);
}

void DrawOutFormat(Sketch& s) {
    const double rows[] = {3.0, 8.0, 13.0};
    const double knobs[] = {10.5, 4.5, 8.5};
    for (int i = 0; i < 3; ++i) {
        s.Stroke(LinePath({1.5, rows[i]}, {14.5, rows[i]}), Role::Grey, 1.6);
        s.Shape(RoundRectPath(knobs[i] - 1.5, rows[i] - 2.5, 3, 5, 0.8), Role::Blue);
    }
}

void DrawFavFolder(Sketch& s) {
    Folder(s, 0.5, 1.5, 14, 12);
    s.Shape(StarPath(10.8, 10.8, 5.0, 2.2), Role::Yellow);
}

void DrawImportFiles(Sketch& s) {
    Tray(s);
    s.Shape(ArrowPath({8.0, 0.5}, {8.0, 11.0}, 3.2, 8.5, 4.5), Role::Blue);
}

void DrawExportFiles(Sketch& s) {
    Tray(s);
    s.Shape(ArrowPath({8.0, 11.0}, {8.0, 0.5}, 3.2, 8.5, 4.5), Role::Green);
}

void DrawExit(Sketch& s) {
    s.Shape(RectPath(1.5, 0.5, 8, 15), Role::Brown);
    s.Shape(PolygonPath({{1.5, 0.5}, {6.5, 2.5}, {6.5, 15.5}, {1.5, 15.5}}), Role::Orange);
    s.Shape(ArrowPath({6.5, 8.0}, {15.5, 8.0}, 3.0, 8.0, 4.0), Role::Red);
}

void DrawCopy(Sketch& s) {
    Page(s, 1.5, 0.5, 9, 11, 3);
    Page(s, 5.5, 4.5, 9, 11, 3);
}

void DrawDelete(Sketch& s) {
    // Outline first, then the red bars, so the cross reads on light and dark backgrounds.
    QPainterPath cross = LinePath({3.5, 3.5}, {12.5, 12.5});
    cross.addPath(LinePath({12.5, 3.5}, {3.5, 12.5}));
    s.Stroke(cross, s.Style() == ArtStyle::Flat ? Role::Red : Role::Ink, 4.4);
    s.Stroke(cross, Role::Red, 2.6);
}

void DrawSelectAll(Sketch& s) {
    s.Fill(RectPath(4.0, 4.0, 8.0, 8.0), Role::Sky);
    s.Shape(RectPath(5.5, 5.5, 5.0, 5.0), Role::Blue);
    for (double x : {0.5, 4.5, 8.5, 12.5}) { // dashed frame, one dash per corner run
        s.Stroke(LinePath({x, 0.8}, {x + 2.5, 0.8}), Role::Ink, 1.3);
        s.Stroke(LinePath({x + 0.5, 15.2}, {x + 3.0, 15.2}), Role::Ink, 1.3);
    }
    for (double y : {0.5, 4.5, 8.5, 12.5}) {
        s.Stroke(LinePath({0.8, y + 0.5}, {0.8, y + 3.0}), Role::Ink, 1.3);
        s.Stroke(LinePath({15.2, y}, {15.2, y + 2.5}), Role::Ink, 1.3);
    }
}

void DrawConvert(Sketch& s) {
    s.Shape(ArrowPath({0.8, 8.0}, {15.4, 8.0}, 5.5, 13.5, 6.5), Role::Green);
}

// A magnifier over a picture: look before converting.
void DrawPreview(Sketch& s) {
    Landscape(s, 0.8, 1.5, 11.5, 9.5);
    s.Stroke(LinePath({10.6, 10.6}, {14.6, 14.6}), Role::Ink, 3.2);
    s.Shape(Circle(8.6, 8.6, 3.6), Role::Sky);
    s.Stroke(Circle(8.6, 8.6, 3.6), Role::Blue, 1.3);
}

void DrawError(Sketch& s) {
    s.Shape(Circle(8, 8, 7.2), Role::Red);
    s.Fill(RoundRectPath(6.9, 3.0, 2.2, 6.8, 1.0), Role::White);
    s.Fill(Circle(8.0, 12.2, 1.3), Role::White);
}

void DrawPreferences(Sketch& s) {
    QPainterPath gear = Circle(8, 8, 5.3);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QPainterPath bar = RectPath(-1.4, -7.5, 2.8, 3.0);
        QTransform turn;
        turn.translate(8, 8);
        turn.rotate(tooth * 45.0);
        gear = gear.united(turn.map(bar));
    }
    gear = gear.subtracted(Circle(8, 8, 2.2));
    s.Shape(gear, Role::Grey);
}

void DrawCustomConverter(Sketch& s) {
    s.Stroke(LinePath({10.0, 10.0}, {14.5, 14.5}), Role::Ink, 3.4);
    s.Stroke(LinePath({10.6, 10.6}, {14.3, 14.3}), Role::Brown, 1.8);
    s.Shape(Circle(6.5, 6.5, 5.3), Role::Sky);
    s.Stroke(LinePath({4.2, 5.2}, {5.4, 3.9}), Role::White, 1.3);
}

void DrawHelp(Sketch& s) {
    s.Shape(Circle(8, 8, 7.2), Role::Blue);
    QPainterPath mark(QPointF(5.6, 6.0));
    mark.cubicTo(5.6, 3.0, 10.4, 3.0, 10.4, 6.0);
    mark.cubicTo(10.4, 7.9, 8.0, 7.9, 8.0, 9.9);
    s.Stroke(mark, Role::White, 2.1);
    s.Fill(Circle(8.0, 12.5, 1.25), Role::White);
}

void DrawEmail(Sketch& s) {
    s.Shape(RectPath(0.5, 3.5, 15, 10), Role::Paper);
    QPainterPath flap(QPointF(0.8, 3.8));
    flap.lineTo(8.0, 9.2);
    flap.lineTo(15.2, 3.8);
    s.Stroke(flap, Role::Red, 1.3);
}

void DrawWeb(Sketch& s) {
    s.Shape(Circle(8, 8, 7.2), Role::Sky);
    s.Fill(
        PolygonPath(
            {{3.0, 4.0}, {6.5, 3.0}, {7.5, 6.0}, {5.5, 8.5}, {6.5, 12.5}, {4.0, 11.0}, {2.0, 7.5}}),
        Role::Green);
    s.Fill(PolygonPath({{10.0, 6.0}, {13.5, 6.5}, {14.0, 10.0}, {11.0, 13.0}, {9.5, 9.5}}),
           Role::Green);
    QPainterPath lines;
    lines.addEllipse(QPointF(8, 8), 3.2, 7.2);
    lines.moveTo(0.8, 8.0);
    lines.lineTo(15.2, 8.0);
    s.Stroke(lines, Role::Blue, 0.9);
}

// A clockwise arc of the circle around (8, 8) ending in an arrow head.
void ArcArrow(Sketch& s, double radius, double startDegrees, double sweepDegrees, Role role) {
    QRectF box(8 - radius, 8 - radius, 2 * radius, 2 * radius);
    QPainterPath arc;
    arc.arcMoveTo(box, startDegrees);
    arc.arcTo(box, startDegrees, sweepDegrees);
    s.Stroke(arc, role, 2.3);
    double end = (startDegrees + sweepDegrees) * M_PI / 180.0;
    QPointF tip(8 + radius * std::cos(end), 8 - radius * std::sin(end));
    QPointF ahead(std::sin(end), std::cos(end)); // clockwise tangent on screen
    QPointF outward(std::cos(end), -std::sin(end));
    s.Shape(PolygonPath({tip + ahead * 3.0, tip + outward * 2.8 - ahead * 0.6,
                         tip - outward * 2.8 - ahead * 0.6}),
            role);
}

void DrawUpdates(Sketch& s) {
    ArcArrow(s, 5.3, 165, -115, Role::Green);
    ArcArrow(s, 5.3, -15, -115, Role::Green);
}

void DrawAbout(Sketch& s) {
    s.Shape(Circle(8, 8, 7.2), Role::Blue);
    s.Fill(Circle(8.0, 4.4, 1.35), Role::White);
    s.Fill(RoundRectPath(6.9, 6.6, 2.2, 6.6, 0.9), Role::White);
}

using IconPainter = void (*)(Sketch&);

const std::map<QString, IconPainter>& IconPainters() {
    static const std::map<QString, IconPainter> kPainters = {
        {"New", DrawNew},
        {"Add", DrawAdd},
        {"InFiles", DrawInFiles},
        {"InFolder", DrawInFolder},
        {"OutFolder", DrawOutFolder},
        {"OutFormat", DrawOutFormat},
        {"FavFolder", DrawFavFolder},
        {"ImportFiles", DrawImportFiles},
        {"ExportFiles", DrawExportFiles},
        {"Exit", DrawExit},
        {"Copy", DrawCopy},
        {"Delete", DrawDelete},
        {"SelectAll", DrawSelectAll},
        {"Convert", DrawConvert},
        {"Preview", DrawPreview},
        {"Error", DrawError},
        {"Preferences", DrawPreferences},
        {"CustomConverter", DrawCustomConverter},
        {"Help", DrawHelp},
        {"Email", DrawEmail},
        {"Web", DrawWeb},
        {"Updates", DrawUpdates},
        {"About", DrawAbout},
    };
    return kPainters;
}

QImage TransparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void DrawConvertButton(Sketch& s) {
    s.Shape(Circle(8, 8, 7.3), Role::Green);
    s.Fill(ArrowPath({3.6, 8.0}, {12.6, 8.0}, 2.6, 7.4, 4.0), Role::White);
}

void DrawWindmill(QPainter& painter, double size) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    QLinearGradient sky(0, 0, 0, 16);
    sky.setColorAt(0, QColor(0x4f, 0x9b, 0xe8));
    sky.setColorAt(1, QColor(0xb8, 0xe0, 0xfb));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
    painter.setBrush(QColor(0x5c, 0xa8, 0x3c));
    painter.drawPath(RoundRectPath(0, 12, 16, 4, 3).united(RectPath(0, 12, 16, 2)));
    QPen ink(QColor(0x3b, 0x2a, 0x20), 0.5);
    painter.setPen(ink);
    painter.setBrush(QColor(0xe9, 0xd3, 0xae));
    painter.drawPolygon(QPolygonF({{6.2, 7.0}, {9.8, 7.0}, {10.8, 14.5}, {5.2, 14.5}}));
    painter.setBrush(QColor(0x8a, 0x4b, 0x2a));
    painter.drawRect(QRectF(7.3, 11.6, 1.4, 2.9));
    // Four sails of little squares: the "pixel" mill.
    painter.setBrush(QColor(0xff, 0xff, 0xff));
    for (int sail = 0; sail < 4; ++sail) {
        painter.save();
        painter.translate(8, 6.8);
        painter.rotate(25 + sail * 90);
        for (int cell = 0; cell < 3; ++cell) {
            painter.drawRect(QRectF(0.4 + cell * 1.7, -0.2, 1.5, 1.5));
        }
        painter.restore();
    }
    painter.setBrush(QColor(0x3b, 0x2a, 0x20));
    painter.drawEllipse(QPointF(8, 6.8), 0.7, 0.7);
    painter.restore();
}

void DrawTitleTexts(QPainter& painter, const QRectF& area, const QString& productName,
                    const QString& version, const QColor& colour, int titlePixels) {
    QFont title = painter.font();
    title.setPixelSize(titlePixels);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(colour);
    QRectF titleArea = area;
    titleArea.setHeight(area.height() * 0.58);
    painter.drawText(titleArea, Qt::AlignLeft | Qt::AlignBottom, productName);
    QFont small = painter.font();
    small.setPixelSize(std::max(9, titlePixels * 2 / 3));
    small.setBold(false);
    painter.setFont(small);
    QRectF versionArea = area;
    versionArea.setTop(titleArea.bottom() + 1);
    painter.drawText(versionArea, Qt::AlignLeft | Qt::AlignTop, version);
}

} // namespace

const std::vector<QString>& IconKeys() {
    static const std::vector<QString> kKeys = {"New",
                                               "Add",
                                               "InFiles",
                                               "InFolder",
                                               "OutFolder",
                                               "OutFormat",
                                               "FavFolder",
                                               "ImportFiles",
                                               "ExportFiles",
                                               "Exit",
                                               "Copy",
                                               "Delete",
                                               "SelectAll",
                                               "Convert",
                                               "Preview",
                                               "Error",
                                               "Preferences",
                                               "CustomConverter",
                                               "Help",
                                               "Email",
                                               "Web",
                                               "Updates",
                                               "About"};
    return kKeys;
}

const std::vector<QString>& ButtonImageKeys() {
    static const std::vector<QString> kKeys = {"Convert", "InFiles", "InFolder"};
    return kKeys;
}

QImage DrawIcon(const QString& key, int pixels, ArtStyle style) {
    QImage image = TransparentImage(pixels, pixels);
    auto painter = IconPainters().find(key);
    if (painter != IconPainters().end()) {
        QPainter canvas(&image);
        Sketch sketch(canvas, pixels, style, Seed(key) + static_cast<uint32_t>(pixels));
        painter->second(sketch);
    }
    return image;
}

QImage DrawButtonImage(const QString& key, int pixels, ArtStyle style) {
    if (key != "Convert") {
        return DrawIcon(key, pixels, style);
    }
    QImage image = TransparentImage(pixels, pixels);
    QPainter canvas(&image);
    Sketch sketch(canvas, pixels, style, Seed(key) + 7u);
    DrawConvertButton(sketch);
    return image;
}

QImage DrawApplicationImage(int pixels) {
    QImage image = TransparentImage(pixels, pixels);
    QPainter painter(&image);
    DrawWindmill(painter, pixels);
    return image;
}

QImage DrawBannerImage(const QString& productName, const QString& version) {
    QImage image(360, 40, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient band(0, 0, 360, 0);
    band.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    band.setColorAt(1, QColor(0x3f, 0x9c, 0xc8));
    painter.fillRect(image.rect(), band);
    painter.translate(6, 4);
    DrawWindmill(painter, 32);
    painter.resetTransform();
    DrawTitleTexts(painter, QRectF(46, 2, 306, 36), productName, version, Qt::white, 15);
    return image;
}

QImage DrawAboutImage(const QString& productName, const QString& version) {
    QImage image = TransparentImage(270, 75);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xfb, 0xf7, 0xee));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 269, 74), 8, 8);
    painter.translate(10, 9.5);
    DrawWindmill(painter, 56);
    painter.resetTransform();
    DrawTitleTexts(painter, QRectF(76, 8, 190, 60), productName, version, QColor(0x2e, 0x34, 0x40),
                   15);
    return image;
}

} // namespace millconv::ui
