// The modal progress dialog of a window conversion run, and the question that stops a run.
#pragma once

#include "engine/conversion_run.h"
#include "ui/window_controls.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace millconv::ui {

// Runs the request on a worker thread behind a modal progress dialog over the window (disabled
// meanwhile) and returns once the user has closed it after the run ended: the run's outcome,
// empty when no worker could be started.
std::optional<RunOutcome> RunProgressDialog(const WindowControls& controls, RunRequest request);

// "Do you want to break the conversion?" with Yes and No; true for Yes.
bool AskBreakConversion(QWidget* parent);

// Average character width of a font, from a nine-character sample; 7 when nothing measures.
int AverageCharacterWidth(const QFont& font);

// The dialog itself: it owns its run, starts it when shown, follows it with a 15 ms timer and
// enables OK once it has ended. Closing it during the run asks whether to stop.
class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    ProgressDialog(const WindowControls& controls, RunRequest request);
    ~ProgressDialog() override;

    ConversionRun& Run() const { return *run_; }
    // The outcome once the run has ended with a started worker.
    const std::optional<RunOutcome>& Outcome() const { return outcome_; }

    QLabel* TextLine() const { return textLine_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* OkButton() const { return okButton_; }
    // True once the user answered Yes to the break question.
    bool Stopped() const { return stopped_; }

  signals:
    // A new file number was shown.
    void IndexShown(int index);
    // The worker has ended and OK is enabled.
    void RunEnded();

  public slots:
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Start();
    void Poll();
    void ShowProgress();
    void ShowEnd();
    void AskToStop();
    QString ProgressTitle(const QString& lead) const;

    WindowControls controls_;
    std::unique_ptr<ConversionRun> run_;
    std::optional<RunOutcome> outcome_;
    int total_ = 0;
    int shownIndex_ = 0;
    int averageCharWidth_ = 7;
    bool started_ = false;
    bool workerStarted_ = false;
    bool ended_ = false;
    bool stopped_ = false;
    bool asking_ = false;
    QTimer pollTimer_;
    QLabel* textLine_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace millconv::ui
