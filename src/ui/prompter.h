// Message boxes and pickers behind one small interface, so tests never block on a modal box.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace millconv::ui {

// Every modal question the window mode asks goes through the current prompter. The real one
// shows Qt's boxes and dialogs; tests install a scripted one with SetPrompter.
class Prompter {
  public:
    virtual ~Prompter() = default;

    // Message boxes with an OK button: exclamation, error and information icons.
    virtual void Warning(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void Error(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void Information(QWidget* parent, const QString& title, const QString& text) = 0;
    // Yes/No question with the question icon (or the exclamation icon when warning is set);
    // true for Yes.
    virtual bool Question(QWidget* parent, const QString& title, const QString& text,
                          bool warning = false) = 0;

    // A single existing file; qtFilter uses Qt's "Label (*.png);;…" form. Empty when cancelled.
    virtual QString OpenFile(QWidget* parent, const QString& title, const QString& start,
                             const QString& qtFilter) = 0;
    // An existing folder; empty when cancelled.
    virtual QString SelectFolder(QWidget* parent, const QString& title, const QString& start) = 0;
    // Colour and font pickers; nothing when cancelled.
    virtual std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QFont> PickFont(QWidget* parent, const QFont& initial) = 0;
};

// The prompter in use: the one last installed, else the real one.
Prompter& CurrentPrompter();

// Installs a prompter (owned by the caller, which must outlive its use); nullptr restores the
// real one.
void SetPrompter(Prompter* prompter);

} // namespace millconv::ui
