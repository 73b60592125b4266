// Test support: a prompter that records every box and dialog and answers from queues.
#include "ui/support/scripted_prompter.h"

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

void ScriptedPrompter::Record(PrompterCall call) {
    calls_.push_back(call);
    if (onCall) {
        onCall(call);
    }
}

void ScriptedPrompter::Warning(QWidget* parent, const QString& title, const QString& text) {
    Record({PrompterCall::Kind::Warning, parent, title, text, false, {}, {}});
}

void ScriptedPrompter::Error(QWidget* parent, const QString& title, const QString& text) {
    Record({PrompterCall::Kind::Error, parent, title, text, false, {}, {}});
}

void ScriptedPrompter::Information(QWidget* parent, const QString& title, const QString& text) {
    Record({PrompterCall::Kind::Information, parent, title, text, false, {}, {}});
}

bool ScriptedPrompter::Question(QWidget* parent, const QString& title, const QString& text,
                                bool warning) {
    Record({PrompterCall::Kind::Question, parent, title, text, warning, {}, {}});
    return TakeFront(answers).value_or(false);
}

QString ScriptedPrompter::OpenFile(QWidget* parent, const QString& title, const QString& start,
                                   const QString& qtFilter) {
    Record({PrompterCall::Kind::OpenFile, parent, title, {}, false, start, qtFilter});
    return TakeFront(paths).value_or(QString());
}

QString ScriptedPrompter::SelectFolder(QWidget* parent, const QString& title,
                                       const QString& start) {
    Record({PrompterCall::Kind::SelectFolder, parent, title, {}, false, start, {}});
    return TakeFront(paths).value_or(QString());
}

std::optional<QColor> ScriptedPrompter::PickColor(QWidget* parent, const QColor& initial) {
    Record({PrompterCall::Kind::PickColor, parent, {}, initial.name(), false, {}, {}});
    return TakeFront(colors);
}

std::optional<QFont> ScriptedPrompter::PickFont(QWidget* parent, const QFont& initial) {
    Record({PrompterCall::Kind::PickFont, parent, {}, initial.toString(), false, {}, {}});
    return TakeFront(fonts);
}

} // namespace millconv::ui::test
