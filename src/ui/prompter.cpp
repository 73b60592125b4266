// The real prompter: Qt's message boxes, file, folder, colour and font dialogs.
#include "ui/prompter.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace millconv::ui {

namespace {

class QtPrompter final : public Prompter {
  public:
    void Warning(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::warning(parent, title, text);
    }
    void Error(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::critical(parent, title, text);
    }
    void Information(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::information(parent, title, text);
    }
    bool Question(QWidget* parent, const QString& title, const QString& text,
                  bool warning) override {
        QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Question, title, text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        return box.exec() == QMessageBox::Yes;
    }
    QString OpenFile(QWidget* parent, const QString& title, const QString& start,
                     const QString& qtFilter) override {
        return QFileDialog::getOpenFileName(parent, title, start, qtFilter);
    }
    QString SelectFolder(QWidget* parent, const QString& title, const QString& start) override {
        return QFileDialog::getExistingDirectory(parent, title, start);
    }
    std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) override {
        const QColor color = QColorDialog::getColor(initial, parent);
        return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
    }
    std::optional<QFont> PickFont(QWidget* parent, const QFont& initial) override {
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
