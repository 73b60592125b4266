// The real prompter: Qt's message boxes, file, folder, colour and font dialogs.
#include "ui/prompter.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

#include "ui/input_guards.h"

namespace millconv::ui {

namespace {

// Every box gives the focus back to the control that had it when it closes.
class QtPrompter final : public Prompter {
  public:
    void Warning(QWidget* parent, const QString& title, const QString& text) override {
        const FocusReturn focusReturn;
        QMessageBox::warning(parent, title, text);
    }
    void Error(QWidget* parent, const QString& title, const QString& text) override {
        const FocusReturn focusReturn;
        QMessageBox::critical(parent, title, text);
    }
    void Information(QWidget* parent, const QString& title, const QString& text) override {
        const FocusReturn focusReturn;
        QMessageBox::information(parent, title, text);
    }
    bool Question(QWidget* parent, const QString& title, const QString& text,
                  bool warning) override {
        const FocusReturn focusReturn;
        QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Question, title, text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        return box.exec() == QMessageBox::Yes;
    }
    QString OpenFile(QWidget* parent, const QString& title, const QString& start,
                     const QString& qtFilter) override {
        const FocusReturn focusReturn;
        return QFileDialog::getOpenFileName(parent, title, start, qtFilter);
    }
    QString SelectFolder(QWidget* parent, const QString& title, const QString& start) override {
        const FocusReturn focusReturn;
        return QFileDialog::getExistingDirectory(parent, title, start);
    }
    std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) override {
        const FocusReturn focusReturn;
        const QColor color = QColorDialog::getColor(initial, parent);
        return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
    }
    std::optional<QFont> PickFont(QWidget* parent, const QFont& initial) override {
        const FocusReturn focusReturn;
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, parent);
        return ok ? std::optional<QFont>(font) : std::nullopt;
    }
};

Prompter* gInstalled = nullptr;

} // namespace

Prompter& CurrentPrompter() {
    static QtPrompter real;
    return gInstalled != nullptr ? *gInstalled : real;
}

void SetPrompter(Prompter* prompter) { gInstalled = prompter; }

} // namespace millconv::ui
