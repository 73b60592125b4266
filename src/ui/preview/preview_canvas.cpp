// One picture area of the preview: a picture over a checkerboard, fitted or zoomed, or a text.
#include "ui/preview/preview_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace millconv::ui {

namespace {

constexpr int kCheckerSquare = 8;
constexpr int kWheelStep = 120; // one notch of a wheel, in eighths of a degree

const QBrush& CheckerBrush() {
    static const QBrush brush = [] {
        QPixmap tile(2 * kCheckerSquare, 2 * kCheckerSquare);
        tile.fill(QColor(0xCC, 0xCC, 0xCC));
        QPainter painter(&tile);
        const QColor light(0xFF, 0xFF, 0xFF);
        painter.fillRect(0, 0, kCheckerSquare, kCheckerSquare, light);
        painter.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare, light);
        return QBrush(tile);
    }();
    return brush;
}

const QImage& NoImage() {
    static const QImage image;
    return image;
}

} // namespace

PreviewCanvas::PreviewCanvas(const QString& name, QWidget* parent) : QWidget(parent) {
    setAccessibleName(name);
    setObjectName(name);
    setMinimumSize(120, 90);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
}

void PreviewCanvas::SetPicture(PicturePyramid picture) {
    picture_ = std::move(picture);
    message_.clear();
    update();
}

void PreviewCanvas::SetMessage(const QString& text) {
    picture_.clear();
    message_ = text;
    update();
}

void PreviewCanvas::SetZoom(double zoom) {
    zoom_ = std::max(zoom, 0.0);
    if (zoom_ == 0.0) {
        centre_ = {0.5, 0.5};
    }
    update();
}

const QImage& PreviewCanvas::Picture() const {
    return picture_.empty() ? NoImage() : picture_.front();
}

double PreviewCanvas::EffectiveScale() const {
    const QImage& full = Picture();
    if (full.isNull()) {
        return 1.0;
    }
    if (zoom_ > 0.0) {
        return zoom_;
    }
    const double fit = std::min(double(width()) / full.width(), double(height()) / full.height());
    return std::min(fit, 1.0);
}

QSize PreviewCanvas::sizeHint() const { return {320, 240}; }

QRectF PreviewCanvas::PictureRect() const {
    const QImage& full = Picture();
    const double scale = EffectiveScale();
    const QSizeF drawn(full.width() * scale, full.height() * scale);
    // A picture smaller than the area sits in its middle; a larger one follows the centre.
    const auto start = [](double area, double picture, double centre) {
        if (picture <= area) {
            return (area - picture) / 2;
        }
        return std::clamp(area / 2 - centre * picture, area - picture, 0.0);
    };
    return {QPointF(start(width(), drawn.width(), centre_.x()),
                    start(height(), drawn.height(), centre_.y())),
            drawn};
}

const QImage& PreviewCanvas::LevelFor(double scale) const {
    const QImage& full = picture_.front();
    const double wanted = full.width() * scale;
    const QImage* chosen = &full;
    for (const QImage& level : picture_) {
        if (level.width() >= wanted) {
            chosen = &level;
        }
    }
    return *chosen;
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (picture_.empty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                         message_);
        return;
    }
    const QRectF target = PictureRect();
    painter.fillRect(target, CheckerBrush());
    const double scale = EffectiveScale();
    const QImage& level = LevelFor(scale);
    // Enlarged pixels stay sharp squares, so single pixels can be checked at 200 % and more.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scale < 1.0);
    // Only the part inside the area is scaled.
    const QRectF visible = target.intersected(QRectF(rect()));
    const double levelScale = double(level.width()) / picture_.front().width() * (1.0 / scale);
    const QRectF source((visible.x() - target.x()) * levelScale,
                        (visible.y() - target.y()) * levelScale, visible.width() * levelScale,
                        visible.height() * levelScale);
    painter.drawImage(visible, level, source);
}

void PreviewCanvas::wheelEvent(QWheelEvent* event) {
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        wheelRemainder_ += event->angleDelta().y();
        const int steps = wheelRemainder_ / kWheelStep;
        wheelRemainder_ -= steps * kWheelStep;
        if (steps != 0) {
            emit ZoomStepsRequested(steps);
        }
        event->accept();
        return;
    }
    const QPoint delta = event->angleDelta();
    Pan(QPointF(delta.x(), delta.y()) / 2.0);
    event->accept();
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        dragFrom_ = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
    }
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        const QPoint now = event->position().toPoint();
        Pan(now - dragFrom_);
        dragFrom_ = now;
    }
}

void PreviewCanvas::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    unsetCursor();
}

void PreviewCanvas::Pan(QPointF byPixels) {
    const QRectF drawn = PictureRect();
    if (drawn.width() <= 0 || drawn.height() <= 0) {
        return;
    }
    centre_.rx() = std::clamp(centre_.x() - byPixels.x() / drawn.width(), 0.0, 1.0);
    centre_.ry() = std::clamp(centre_.y() - byPixels.y() / drawn.height(), 0.0, 1.0);
    update();
}

} // namespace millconv::ui
