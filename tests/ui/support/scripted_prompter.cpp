// Test support: a prompter that records every box and dialog and answers from queues.
#include "ui/support/scripted_prompter.h"

#include <QApplication>
#include <QCursor>

namespace millconv::ui::test {

namespace {

template <typename T> std::optional<T> TakeFront(std::deque<T>& queue) {
    if (queue.empty()) {
        return std::nullopt;
    }
    T value = queue.front();
    queue.pop_front();
    return value;
}

} // namespace

ScriptedPrompter::ScriptedPrompter() { SetPrompter(this); }

ScriptedPrompter::~ScriptedPrompter() { SetPrompter(nullptr); }

std::vector<PrompterCall> ScriptedPrompter::CallsOf(PrompterCall::Kind kind) const {
    std::vector<PrompterCall> matching;
    for (const PrompterCall& call : calls_) {
        if (call.kind == kind) {
            matching.push_back(call);
        }
    }
    return matching;
}

PrompterCall ScriptedPrompter::LastOf(PrompterCall::Kind kind) const {
    for (auto call = calls_.rbegin(); call != calls_.rend(); ++call) {
        if (call->kind == kind) {
            return *call;
        }
    }
    PrompterCall none;
    none.kind = kind;
    return none;
}

void ScriptedPrompter::Record(PrompterCall call) {
    const QCursor* cursor = QApplication::overrideCursor();
    call.waitCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    calls_.push_back(call);
    if (onCall) {
        onCall(call);
    }
}

void ScriptedPrompter::Warning(QWidget* parent, const QString& title, const QString& text) {
    Record({PrompterCall::Kind::Warning, parent, title, text, false, {}, {}, false});
}

void ScriptedPrompter::Error(QWidget* parent, const QString& title, const QString& text) {
    Record({PrompterCall::Kind::Error, parent, title, text, false, {}, {}, false});
}

void ScriptedPrompter::Information(QWidget* parent, const QString& title, const QString& text) {
    Record({PrompterCall::Kind::Information, parent, title, text, false, {}, {}, false});
}

bool ScriptedPrompter::Question(QWidget* parent, const QString& title, const QString& text,
                                bool warning) {
    Record({PrompterCall::Kind::Question, parent, title, text, warning, {}, {}, false});
    return TakeFront(answers).value_or(false);
}

QString ScriptedPrompter::OpenFile(QWidget* parent, const QString& title, const QString& start,
                                   const QString& qtFilter) {
    Record({PrompterCall::Kind::OpenFile, parent, title, {}, false, start, qtFilter, false});
    return TakeFront(paths).value_or(QString());
}

QString ScriptedPrompter::SelectFolder(QWidget* parent, const QString& title,
                                       const QString& start) {
    Record({PrompterCall::Kind::SelectFolder, parent, title, {}, false, start, {}, false});
    return TakeFront(paths).value_or(QString());
}

std::optional<QColor> ScriptedPrompter::PickColor(QWidget* parent, const QColor& initial) {
    Record({PrompterCall::Kind::PickColor, parent, {}, initial.name(), false, {}, {}, false});
    return TakeFront(colors);
}

std::optional<QFont> ScriptedPrompter::PickFont(QWidget* parent, const QFont& initial) {
    Record({PrompterCall::Kind::PickFont, parent, {}, initial.toString(), false, {}, {}, false});
    return TakeFront(fonts);
}

} // namespace millconv::ui::test
