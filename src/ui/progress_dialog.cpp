// The modal progress dialog of a window conversion run, and the question that stops a run.
#include "ui/progress_dialog.h"

#include "base/text.h"
#include "settings/message_catalogue.h"
#include "ui/catalogue_text.h"
#include "ui/form_metrics.h"
#include "ui/input_guards.h"
#include "ui/prompter.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include <mutex>
#include <string>
#include <string_view>

namespace millconv::ui {

namespace {

// Where the controls stand, in design pixels.
constexpr QSize kClientSize(300, 110);
constexpr QRect kTextLinePlace(10, 13, 280, kLabelHeight);
constexpr QRect kBarPlace(10, 40, 280, kFieldHeight);
constexpr QRect kOkPlace(QPoint(110, 75), kButtonSize);

constexpr int kPollMilliseconds = 15;
constexpr int kFallbackCharWidth = 7;

QString WindowFailureText(std::string_view line) {
    // The console's "millconv: " tag says nothing inside millconv's own window.
    constexpr std::string_view kTag = "millconv: ";
    if (line.starts_with(kTag)) {
        line.remove_prefix(kTag.size());
    }
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

} // namespace

int AverageCharacterWidth(const QFont& font) {
    const int width = QFontMetrics(font).horizontalAdvance(QStringLiteral("AbCdEfGhI")) / 9;
    return width > 0 ? width : kFallbackCharWidth;
}

bool AskBreakConversion(QWidget* parent) {
    return CurrentPrompter().Question(parent, UiText("Msg", "Warning"),
                                      UiText("Msg", "Ask break conversion"), true);
}

ProgressDialog::ProgressDialog(const WindowControls& controls, RunRequest request)
    : QDialog(controls.window, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                   Qt::WindowCloseButtonHint),
      controls_(controls), total_(static_cast<int>(request.snapshot.inputs.size())) {
    run_ = std::make_unique<ConversionRun>(std::move(request));
    setObjectName(QStringLiteral("ProgressDialog"));
    setModal(true);
    setFixedSize(Scaled(kClientSize));
    setWindowTitle(UiText("Dialog", "Convert Progress"));

    textLine_ = new QLabel(this);
    Place(textLine_, kTextLinePlace);
    bar_ = new QProgressBar(this);
    Place(bar_, kBarPlace);
    bar_->setRange(0, total_ + 1);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    okButton_ = new QPushButton(UiText("Dialog", "OK"), this);
    Place(okButton_, kOkPlace);
    okButton_->setEnabled(false);
    connect(okButton_, &QPushButton::clicked, this, [this] {
        if (ended_) {
            accept();
        }
    });

    averageCharWidth_ = AverageCharacterWidth(font());
    pollTimer_.setInterval(kPollMilliseconds);
    connect(&pollTimer_, &QTimer::timeout, this, &ProgressDialog::Poll);

    if (QWidget* window = controls.window) {
        const QPoint centre = window->frameGeometry().center();
        move(centre - QPoint(width() / 2, height() / 2));
    }
}

// A dialog torn down mid-run does not leave the worker converting behind it: the run stops
// and joins as it goes.
ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        Start();
    }
}

void ProgressDialog::Start() {
    workerStarted_ = run_->Start();
    if (!workerStarted_) {
        // No worker could be started: the run ends at once, as a stopped one.
        stopped_ = true;
        ShowEnd();
        return;
    }
    pollTimer_.start();
}

void ProgressDialog::Poll() {
    // Read before the progress: a worker seen as ended has written its last file number, so
    // the end texts show the true count even when the run outpaced the timer.
    const bool finished = run_->Finished();
    ShowProgress();
    if (finished && !ended_) {
        ShowEnd();
    }
}

void ProgressDialog::ShowProgress() {
    const ProgressSnapshot progress = run_->ReadProgress();
    if (progress.currentIndex <= shownIndex_) {
        return;
    }
    shownIndex_ = progress.currentIndex;
    setWindowTitle(ProgressTitle(UiText("Dialog", "Convert Progress")));
    std::string name = progress.currentFile;
    const auto characters = QString::fromStdString(name).toUcs4().size();
    const int lineWidth = textLine_->width();
    if (characters * averageCharWidth_ > lineWidth) {
        name = ShortenMiddle(name, lineWidth / averageCharWidth_);
    }
    textLine_->setText(QString::fromStdString(name));
    bar_->setValue(shownIndex_);
    emit IndexShown(shownIndex_);
}

void ProgressDialog::ShowEnd() {
    ended_ = true;
    pollTimer_.stop();
    int converted = 0;
    std::string failure;
    if (workerStarted_) {
        outcome_ = run_->Join();
        converted = outcome_->converted;
        failure = run_->ReadProgress().failure;
    }
    if (stopped_) {
        const QString stoppedText = UiText("Msg", "Conversion is not complete");
        ShowStatusText(controls_, stoppedText);
        setWindowTitle(ProgressTitle(stoppedText));
        textLine_->setText(stoppedText);
    } else {
        const QString complete = UiText("Msg", "Conversion complete");
        // A file that was not written: the status says why instead.
        ShowStatusText(controls_, converted < total_ && !failure.empty()
                                      ? WindowFailureText(failure)
                                      : complete);
        setWindowTitle(ProgressTitle(complete));
        textLine_->setText(
            UiText("Msg", "Files converted", std::to_string(converted), std::to_string(total_)));
        bar_->setValue(total_ + 1);
    }
    okButton_->setEnabled(true);
    okButton_->setDefault(true);
    okButton_->setFocus();
    emit RunEnded();
}

void ProgressDialog::reject() {
    if (asking_) {
        return;
    }
    if (!ended_ && run_->Finished()) {
        Poll();
    }
    if (ended_) {
        QDialog::reject();
    } else {
        AskToStop();
    }
}

void ProgressDialog::AskToStop() {
    // The worker holds before its next file while the question is open, and the dialog does
    // not follow it meanwhile.
    asking_ = true;
    pollTimer_.stop();
    run_->Pause();
    if (AskBreakConversion(this)) {
        stopped_ = true;
        // Asked before the gate opens, so the worker ends instead of taking another file.
        run_->Stop();
    }
    run_->Resume();
    pollTimer_.start();
    asking_ = false;
}

QString ProgressDialog::ProgressTitle(const QString& lead) const {
    return lead + QLatin1Char(' ') +
           UiText("Msg", "Progress", std::to_string(shownIndex_), std::to_string(total_));
}

std::optional<RunOutcome> RunProgressDialog(const WindowControls& controls, RunRequest request) {
    // Taken before the window is disabled, which moves the focus away.
    const FocusReturn focusReturn;
    // Disabled before the dialog exists, so the dialog (its child) stays enabled.
    if (controls.window != nullptr) {
        controls.window->setEnabled(false);
    }
    std::optional<RunOutcome> outcome;
    {
        ProgressDialog dialog(controls, std::move(request));
        dialog.setFocus();
        dialog.exec();
        outcome = dialog.Outcome();
    }
    if (controls.window != nullptr) {
        controls.window->setEnabled(true);
    }
    return outcome;
}

} // namespace millconv::ui
