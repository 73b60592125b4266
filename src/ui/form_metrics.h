// The fixed geometry of the window's forms: shared sizes, and the scale that grows every
// position and size with the dialog font, as dialog units do.
#pragma once

#include <QRect>
#include <QSize>

class QFont;
class QWidget;

namespace millconv::ui {

// Sizes every form shares, in design pixels.
inline constexpr int kFieldHeight = 20; // text fields, check boxes, sliders and spin boxes
inline constexpr int kListHeight = 21;  // drop-down lists
inline constexpr int kLabelHeight = 20;
inline constexpr QSize kButtonSize(80, 25);

// The forms were laid out for this font size at 96 dots per inch.
inline constexpr double kDesignPointSize = 9.0;

// How much wider and taller the dialog font is than the design font; never below 1, so a small
// font keeps the design geometry.
struct FormScale {
    double x = 1.0;
    double y = 1.0;
};

// The scale of a font as the screen shows it, against the same family at the design size and
// 96 dots per inch. Exactly 1 for the design font.
FormScale ScaleOf(const QFont& font);

// The scale of the application font, measured once; Refresh measures again (after the font
// changed).
FormScale CurrentFormScale();
void RefreshFormScale();

// Design pixels to screen pixels. Edges are scaled rather than sizes, so controls that meet in
// the design still meet.
int ScaledX(int x);
int ScaledY(int y);
QPoint Scaled(const QPoint& point);
QSize Scaled(const QSize& size);
QRect Scaled(const QRect& rect);

// Places a control at the scaled design rectangle.
void Place(QWidget* widget, const QRect& design);

} // namespace millconv::ui
