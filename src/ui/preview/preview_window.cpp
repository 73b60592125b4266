// The Preview window: Before and After pictures of the form's input, recomputed as the form and
// the settings change, and a line about the file Convert would write.
#include "ui/preview/preview_window.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "job/job_record.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"
#include "ui/conversion_controller.h"
#include "ui/main_window.h"
#include "ui/preview/preview_canvas.h"
#include "ui/preview/preview_info.h"

#include <algorithm>
#include <cmath>

namespace millconv::ui {

namespace {

constexpr int kDefaultWidth = 860;
constexpr int kDefaultHeight = 520;
constexpr int kSmallestWidth = 420;
constexpr int kSmallestHeight = 300;
// Long enough to gather the keystrokes of a typed path into one render.
constexpr int kRefreshDelayMs = 150;
constexpr double kZoomFactor = 1.25;
constexpr double kMinimumZoom = 1.0 / 64;
constexpr double kMaximumZoom = 32.0;

enum ViewMode { kSideBySide, kBeforeOnly, kAfterOnly };

QString Text(const char* key) { return QString::fromStdString(CatalogueText("Preview", key)); }

QString MsgText(const char* key, const std::string& value = {}) {
    return QString::fromStdString(FormatMessage(CatalogueText("Msg", key), value));
}

// The settings a loaded watermark font was made from.
std::string FontKey(const Settings::Watermark& wm) {
    return wm.font + '\n' + std::to_string(wm.fontSize) + '\n' + std::to_string(wm.fontStyle) +
           '\n' + std::to_string(wm.fontEffect);
}

QPushButton* AddButton(QHBoxLayout* row, const char* key, QWidget* parent) {
    auto* button = new QPushButton(Text(key), parent);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

QRect FirstPlacement(const QRect& main, const QRect& area) {
    constexpr int kGap = 8;
    const QSize preferred(kDefaultWidth, kDefaultHeight);
    if (area.isEmpty()) {
        return {main.topLeft(), preferred};
    }
    // The free bands of the screen around the main window.
    const QRect bands[] = {
        QRect(QPoint(area.left(), main.bottom() + kGap), area.bottomRight()),
        QRect(area.topLeft(), QPoint(area.right(), main.top() - kGap)),
        QRect(QPoint(main.right() + kGap, area.top()), area.bottomRight()),
        QRect(area.topLeft(), QPoint(main.left() - kGap, area.bottom())),
    };
    // As near the main window's centre as the box allows, at most the preferred size.
    const auto centredIn = [&](const QRect& box) {
        const QSize size = preferred.boundedTo(box.size());
        const int x = std::clamp(main.center().x() - size.width() / 2, box.left(),
                                 box.right() - size.width() + 1);
        const int y = std::clamp(main.center().y() - size.height() / 2, box.top(),
                                 box.bottom() - size.height() + 1);
        return QRect(QPoint(x, y), size);
    };
    QRect best;
    for (const QRect& band : bands) {
        const QSize size = preferred.boundedTo(band.size());
        if (size.width() < kSmallestWidth || size.height() < kSmallestHeight) {
            continue;
        }
        if (best.isNull() || size.width() * size.height() > best.width() * best.height()) {
            best = centredIn(band);
        }
    }
    // No room beside it: over the main window's middle, inside the screen.
    return best.isNull() ? centredIn(area) : best;
}

PreviewWindow::PreviewWindow(MainWindow& mainWindow)
    : QWidget(&mainWindow, Qt::Window), mainWindow_(mainWindow) {
    setWindowTitle(Text("Title"));
    setMinimumSize(kSmallestWidth, kSmallestHeight);
    worker_ = new PreviewWorker(this);
    connect(worker_, &PreviewWorker::Finished, this, &PreviewWindow::ShowOutcome);
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshDelayMs);
    connect(refreshTimer_, &QTimer::timeout, this, &PreviewWindow::Refresh);
    BuildControls();

    const WindowControls form = mainWindow.Controls();
    connect(form.inputField, &QLineEdit::textChanged, this, &PreviewWindow::ScheduleRefresh);
    connect(form.outputFolderBox, &QComboBox::currentIndexChanged, this,
            &PreviewWindow::ScheduleRefresh);
    connect(form.outputFormatBox, &QComboBox::currentIndexChanged, this,
            &PreviewWindow::ScheduleRefresh);
    connect(&mainWindow, &MainWindow::SettingsApplied, this, &PreviewWindow::ScheduleRefresh);

    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void PreviewWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* bar = new QHBoxLayout;
    viewModes_ = new QButtonGroup(this);
    const char* modeKeys[] = {"Side By Side", "Before", "After"};
    for (int mode = kSideBySide; mode <= kAfterOnly; ++mode) {
        auto* radio = new QRadioButton(Text(modeKeys[mode]), this);
        viewModes_->addButton(radio, mode);
        bar->addWidget(radio);
    }
    viewModes_->button(kSideBySide)->setChecked(true);
    connect(viewModes_, &QButtonGroup::idClicked, this, &PreviewWindow::ApplyViewMode);
    bar->addSpacing(16);
    connect(AddButton(bar, "Fit", this), &QPushButton::clicked, this, [this] { SetZoom(0.0); });
    connect(AddButton(bar, "Actual Size", this), &QPushButton::clicked, this,
            [this] { SetZoom(1.0); });
    connect(AddButton(bar, "Zoom In", this), &QPushButton::clicked, this, [this] { ZoomBy(1); });
    connect(AddButton(bar, "Zoom Out", this), &QPushButton::clicked, this, [this] { ZoomBy(-1); });
    bar->addStretch(1);
    busyLabel_ = new QLabel(Text("Working"), this);
    busyBar_ = new QProgressBar(this);
    busyBar_->setRange(0, 0); // moving without a measure: the render has no steps to count
    busyBar_->setTextVisible(false);
    busyBar_->setMaximumWidth(100);
    busyBar_->setAccessibleName(busyLabel_->text());
    busyLabel_->setBuddy(busyBar_);
    bar->addWidget(busyLabel_);
    bar->addWidget(busyBar_);
    layout->addLayout(bar);

    // Each picture under a caption, so side by side says which is which.
    auto* pictures = new QHBoxLayout;
    for (PreviewCanvas** canvas : {&before_, &after_}) {
        const QString name = Text(canvas == &before_ ? "Before Name" : "After Name");
        auto* column = new QWidget(this);
        auto* stack = new QVBoxLayout(column);
        stack->setContentsMargins(0, 0, 0, 0);
        auto* caption = new QLabel(name, column);
        *canvas = new PreviewCanvas(name, column);
        caption->setBuddy(*canvas);
        stack->addWidget(caption);
        stack->addWidget(*canvas, 1);
        pictures->addWidget(column);
        connect(*canvas, &PreviewCanvas::ZoomStepsRequested, this, &PreviewWindow::ZoomBy);
    }
    layout->addLayout(pictures, 1);

    auto* bottom = new QHBoxLayout;
    info_ = new QLabel(this);
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    info_->setAccessibleName(Text("Information"));
    bottom->addWidget(info_, 1);
    auto* close = AddButton(bottom, "Close", this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addLayout(bottom);

    for (const auto& [sequence, steps] :
         {std::pair{QKeySequence::ZoomIn, 1}, std::pair{QKeySequence::ZoomOut, -1}}) {
        auto* shortcut = new QShortcut(QKeySequence(sequence), this);
        connect(shortcut, &QShortcut::activated, this, [this, steps] { ZoomBy(steps); });
    }
    // Ctrl+= is where Ctrl++ lies on most keyboards without Shift.
    auto* zoomInPlain = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), this);
    connect(zoomInPlain, &QShortcut::activated, this, [this] { ZoomBy(1); });
    SetBusy(false);
}

void PreviewWindow::ShowInFront() {
    if (!placed_) {
        PlaceFirstTime();
    }
    const bool wasHidden = !isVisible();
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    if (wasHidden) {
        Refresh(); // changes made while it was closed were not followed
    }
}

void PreviewWindow::PlaceFirstTime() {
    placed_ = true;
    const Settings::PreviewWindow& stored = gSettings.previewWindow;
    if (stored.width != 0) {
        resize(std::max<int>(stored.width, kSmallestWidth),
               std::max<int>(stored.height, kSmallestHeight));
        move(stored.x, stored.y);
        return;
    }
    // The first time: beside the main window where the screen has the most room for it, so
    // the form stays in view while the pictures follow it.
    const QRect main = mainWindow_.frameGeometry();
    const QScreen* screen = mainWindow_.screen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
    const QRect chosen = FirstPlacement(main, area);
    // The place counts the window manager's frame, which this window gets like the main one.
    const QSize decoration = main.size() - mainWindow_.size();
    resize(chosen.size() - decoration.expandedTo(QSize(0, 0)));
    move(chosen.topLeft());
    StorePlacement();
}

void PreviewWindow::StorePlacement() {
    if (!placed_ || isMinimized() || isMaximized() || isFullScreen()) {
        return;
    }
    Settings::PreviewWindow& stored = gSettings.previewWindow;
    stored.x = pos().x();
    stored.y = pos().y();
    stored.width = width();
    stored.height = height();
}

void PreviewWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    StorePlacement();
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    StorePlacement();
}

void PreviewWindow::ScheduleRefresh() {
    if (isVisible()) {
        refreshTimer_->start();
    }
}

QString PreviewWindow::WatermarkCheck() {
    const std::string key = FontKey(gSettings.watermark);
    const bool reload = gSettings.watermark.doWatermark == 1 && key != loadedFontKey_;
    const QString problem = WatermarkProblem(reload);
    if (reload && problem.isEmpty()) {
        loadedFontKey_ = key;
    }
    return problem;
}

void PreviewWindow::Refresh() {
    refreshTimer_->stop();
    const WindowControls form = mainWindow_.Controls();
    const QString input = form.inputField->text().trimmed();
    if (input.isEmpty()) {
        ShowFailure(MsgText("Empty input files"));
        return;
    }
    QString problem = ResizeProblem();
    if (problem.isEmpty()) {
        problem = WatermarkCheck();
    }
    if (!problem.isEmpty()) {
        ShowFailure(problem);
        return;
    }
    RunSnapshot run = TakeRunSnapshot();
    run.inputs.clear();
    run.reporter = nullptr;
    run.output =
        PreviewOutputParameters(SelectedOutputExtension(form.outputFormatBox), gSettings.output);
    run.outputFolder = form.outputFolderBox->currentText().trimmed().toStdString();
    FileContext file = FileContextFromJob();
    file.currentInput = input.toStdString();
    file.relativeSubfolder.clear();
    requestedOutput_ = run.output;
    requestedInput_ = file.currentInput;
    worker_->Request(std::move(run), std::move(file));
    SetBusy(true);
}

bool PreviewWindow::Busy() const { return worker_->Busy() || refreshTimer_->isActive(); }

void PreviewWindow::ShowFailure(const QString& text) {
    worker_->Cancel(); // an older render must not cover the reason
    before_->SetMessage({});
    after_->SetMessage(text);
    info_->clear();
    SetBusy(false);
    emit Updated();
}

void PreviewWindow::ShowOutcome(const std::shared_ptr<const PreviewOutcome>& outcome) {
    const PreviewRender& render = outcome->render;
    SetBusy(false);
    if (render.failure == PreviewFailure::Unreadable) {
        QString text = MsgText("Unable to open file", requestedInput_);
        for (const std::string& line : render.problems) {
            text += '\n' + QString::fromStdString(line);
        }
        ShowFailure(text);
        return;
    }
    before_->SetPicture(outcome->before);
    if (render.failure != PreviewFailure::None || outcome->after.empty()) {
        QStringList lines;
        for (const std::string& line : render.problems) {
            lines << QString::fromStdString(line);
        }
        if (lines.isEmpty()) {
            lines << MsgText("Conversion is not complete");
        }
        after_->SetMessage(lines.join('\n'));
        info_->clear();
        emit Updated();
        return;
    }
    after_->SetPicture(outcome->after);
    const QImage& picture = after_->Picture();
    info_->setText(OutputInfoLine(render, picture.width(), picture.height(), requestedOutput_));
    emit Updated();
}

void PreviewWindow::SetBusy(bool busy) {
    busyLabel_->setVisible(busy);
    busyBar_->setVisible(busy);
}

void PreviewWindow::ApplyViewMode(int mode) {
    before_->parentWidget()->setVisible(mode != kAfterOnly);
    after_->parentWidget()->setVisible(mode != kBeforeOnly);
}

void PreviewWindow::SetZoom(double zoom) {
    zoom_ = zoom == 0.0 ? 0.0 : std::clamp(zoom, kMinimumZoom, kMaximumZoom);
    before_->SetZoom(zoom_);
    after_->SetZoom(zoom_);
}

void PreviewWindow::ZoomBy(int steps) {
    // Zooming starts from the scale the After picture is shown at, fitted or not.
    const PreviewCanvas* shown = after_->isVisible() ? after_ : before_;
    const double from = zoom_ > 0.0 ? zoom_ : shown->EffectiveScale();
    SetZoom(from * std::pow(kZoomFactor, steps));
}

void ShowPreviewWindow(CommandTarget& target) {
    auto* main = dynamic_cast<MainWindow*>(&target);
    if (main == nullptr) {
        return;
    }
    MainWindow& mainWindow = *main;
    auto* preview = mainWindow.findChild<PreviewWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (preview == nullptr) {
        preview = new PreviewWindow(mainWindow);
    }
    preview->ShowInFront();
}

} // namespace millconv::ui
