// The fixed geometry of the window's forms: shared sizes, and the scale that grows every
// position and size with the dialog font, as dialog units do.
#include "ui/form_metrics.h"

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>

namespace millconv::ui {

namespace {

constexpr int kDesignDpi = 96;
constexpr double kInchesPerMetre = 1.0 / 0.0254;
// Below this the difference is hinting noise, not a larger font.
constexpr double kNoise = 0.02;

std::optional<FormScale> gScale;

double AverageCharWidth(const QFontMetricsF& metrics) {
    static const QString sample =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return metrics.horizontalAdvance(sample) / sample.size();
}

double Ratio(double actual, double design) {
    if (design <= 0.0 || actual <= 0.0) {
        return 1.0;
    }
    const double ratio = actual / design;
    return ratio < 1.0 + kNoise ? 1.0 : ratio;
}

int ScaledEdge(int value, double scale) { return static_cast<int>(std::lround(value * scale)); }

} // namespace

FormScale ScaleOf(const QFont& font) {
    QFont design = font;
    if (font.pixelSize() > 0) {
        design.setPixelSize(static_cast<int>(std::lround(kDesignPointSize * kDesignDpi / 72.0)));
    } else {
        design.setPointSizeF(kDesignPointSize);
    }
    // A device of exactly the design resolution measures the design font.
    QImage probe(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(std::lround(kDesignDpi * kInchesPerMetre));
    probe.setDotsPerMeterX(dotsPerMetre);
    probe.setDotsPerMeterY(dotsPerMetre);
    const QFontMetricsF designMetrics(design, &probe);
    const QFontMetricsF actualMetrics(font);
    return {Ratio(AverageCharWidth(actualMetrics), AverageCharWidth(designMetrics)),
            Ratio(actualMetrics.height(), designMetrics.height())};
}

FormScale CurrentFormScale() {
    if (QCoreApplication::instance() == nullptr) {
        return {}; // no fonts yet
    }
    if (!gScale) {
        gScale = ScaleOf(QApplication::font());
    }
    return *gScale;
}

void RefreshFormScale() { gScale.reset(); }

int ScaledX(int x) { return ScaledEdge(x, CurrentFormScale().x); }

int ScaledY(int y) { return ScaledEdge(y, CurrentFormScale().y); }

QPoint Scaled(const QPoint& point) { return {ScaledX(point.x()), ScaledY(point.y())}; }

QSize Scaled(const QSize& size) { return {ScaledX(size.width()), ScaledY(size.height())}; }

QRect Scaled(const QRect& rect) {
    const int left = ScaledX(rect.x());
    const int top = ScaledY(rect.y());
    return {left, top, ScaledX(rect.x() + rect.width()) - left,
            ScaledY(rect.y() + rect.height()) - top};
}

void Place(QWidget* widget, const QRect& design) { widget->setGeometry(Scaled(design)); }

} // namespace millconv::ui
