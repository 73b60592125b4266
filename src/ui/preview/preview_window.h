// The Preview window: Before and After pictures of the form's input, recomputed as the form and
// the settings change, and a line about the file Convert would write.
#pragma once

#include "engine/run.h"
#include "ui/preview/preview_worker.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

class QButtonGroup;
class QLabel;
class QProgressBar;
class QTimer;

namespace millconv::ui {

class CommandTarget;
class MainWindow;
class PreviewCanvas;

class PreviewWindow : public QWidget {
    Q_OBJECT

  public:
    // A window of its own, owned by the main window, at its stored placement (or beside the
    // main window the first time).
    explicit PreviewWindow(MainWindow& mainWindow);

    // Shows the window in front and brings its pictures up to date.
    void ShowInFront();

    // Recomputes the pictures shortly, so that a burst of changes (typing a path) makes one.
    void ScheduleRefresh();
    // Recomputes now: checks the settings as Convert does, then renders off this thread.
    void Refresh();

    // For tests and the screenshot mode.
    PreviewCanvas* BeforeCanvas() const { return before_; }
    PreviewCanvas* AfterCanvas() const { return after_; }
    QLabel* InfoLabel() const { return info_; }
    bool Busy() const;

  signals:
    // After the pictures and the information line changed (a result or a failure text).
    void Updated();

  protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildControls();
    void PlaceFirstTime();
    void StorePlacement();
    void ShowFailure(const QString& text);
    void ShowOutcome(const std::shared_ptr<const PreviewOutcome>& outcome);
    void SetBusy(bool busy);
    void ApplyViewMode(int mode);
    void SetZoom(double zoom);
    void ZoomBy(int steps);
    // Loads the watermark font again only when the settings name another one.
    QString WatermarkCheck();

    MainWindow& mainWindow_;
    PreviewWorker* worker_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    PreviewCanvas* before_ = nullptr;
    PreviewCanvas* after_ = nullptr;
    QLabel* info_ = nullptr;
    QLabel* busyLabel_ = nullptr;
    QProgressBar* busyBar_ = nullptr;
    QButtonGroup* viewModes_ = nullptr;
    OutputParameters requestedOutput_; // of the request the worker is on
    std::string requestedInput_;
    std::string loadedFontKey_;
    double zoom_ = 0.0; // 0 fits
    bool placed_ = false;
};

// Where the preview goes the first time: the largest free band of the screen area beside,
// below or above the main window (frame geometry) that holds its smallest size, at most its
// preferred size; over the main window's middle when none does.
QRect FirstPlacement(const QRect& main, const QRect& area);

// Command: opens the main window's preview (making it the first time) and brings it to front;
// a command target that is not the main window has no preview.
void ShowPreviewWindow(CommandTarget& target);

} // namespace millconv::ui
