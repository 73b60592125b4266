// One picture area of the preview: a picture over a checkerboard, fitted or zoomed, or a text.
#pragma once

#include "ui/preview/preview_worker.h"

#include <QPointF>
#include <QWidget>

namespace millconv::ui {

class PreviewCanvas : public QWidget {
    Q_OBJECT

  public:
    // name is the area's accessible name ("Before", "After").
    PreviewCanvas(const QString& name, QWidget* parent = nullptr);

    // Shows the picture (largest level first), keeping the zoom; an empty one shows nothing.
    void SetPicture(PicturePyramid picture);
    // Shows the text instead of a picture (why there is none).
    void SetMessage(const QString& text);

    // 0 fits the picture into the area (never enlarging it); otherwise the scale, 1 = 100 %.
    void SetZoom(double zoom);
    double Zoom() const { return zoom_; }
    // The scale the picture is drawn at now.
    double EffectiveScale() const;

    const QImage& Picture() const;
    const QString& Message() const { return message_; }

    QSize sizeHint() const override;

  signals:
    // Ctrl+wheel: positive steps zoom in.
    void ZoomStepsRequested(int steps);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Where the whole picture lies in widget coordinates at the effective scale.
    QRectF PictureRect() const;
    // The smallest level still at least as large as the drawn size.
    const QImage& LevelFor(double scale) const;
    void Pan(QPointF byPixels);

    PicturePyramid picture_;
    QString message_;
    double zoom_ = 0.0;
    QPointF centre_{0.5, 0.5}; // the picture point shown at the area's centre, in fractions
    QPoint dragFrom_;
    bool dragging_ = false;
    int wheelRemainder_ = 0;
};

} // namespace millconv::ui
