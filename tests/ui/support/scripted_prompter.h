// Test support: a prompter that records every box and dialog and answers from queues.
#pragma once

#include "ui/prompter.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace millconv::ui::test {

// One box or dialog the window code asked for.
struct PrompterCall {
    enum class Kind { Warning, Error, Information, Question, OpenFile, SelectFolder, PickColor,
                      PickFont };
    Kind kind = Kind::Warning;
    QWidget* parent = nullptr;
    QString title;
    QString text;         // message text; pickers: the initial colour or font
    bool warningIcon = false; // questions: asked with the exclamation icon
    QString start;        // file and folder dialogs: starting path
    QString filter;       // file dialog: Qt filter
    bool waitCursor = false; // the wait cursor was still shown when the call came
};

// Installs itself as the current prompter for its lifetime. Questions take the next queued
// answer (No when none is queued); file and folder dialogs the next queued path (cancelled
// when none); pickers the next queued value (cancelled when none). Nothing ever blocks.
class ScriptedPrompter final : public Prompter {
  public:
    ScriptedPrompter();
    ~ScriptedPrompter() override;
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;

    std::deque<bool> answers;
    std::deque<QString> paths;
    std::deque<QColor> colors;
    std::deque<QFont> fonts;
    // Runs inside every call, after it is recorded and before it answers.
    std::function<void(const PrompterCall&)> onCall;

    const std::vector<PrompterCall>& Calls() const { return calls_; }
    // The calls of one kind, in order.
    std::vector<PrompterCall> CallsOf(PrompterCall::Kind kind) const;
    // The last call of one kind; an empty call of that kind when there was none.
    PrompterCall LastOf(PrompterCall::Kind kind) const;
    void Clear() { calls_.clear(); }

    void Warning(QWidget* parent, const QString& title, const QString& text) override;
    void Error(QWidget* parent, const QString& title, const QString& text) override;
    void Information(QWidget* parent, const QString& title, const QString& text) override;
    bool Question(QWidget* parent, const QString& title, const QString& text,
                  bool warning = false) override;
    QString OpenFile(QWidget* parent, const QString& title, const QString& start,
                     const QString& qtFilter) override;
    QString SelectFolder(QWidget* parent, const QString& title, const QString& start) override;
    std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) override;
    std::optional<QFont> PickFont(QWidget* parent, const QFont& initial) override;

  private:
    void Record(PrompterCall call);
    std::vector<PrompterCall> calls_;
};

} // namespace millconv::ui::test
