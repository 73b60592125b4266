// Helpers for the dialog, update and manual tests: private home, scripted boxes, fake opener.
#pragma once

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "ui/prompter.h"

namespace millconv::test {

// Points HOME and the XDG folders at a temporary folder for the life of the object.
class PrivateHome {
  public:
    PrivateHome() {
        const QByteArray path = folder_.path().toLocal8Bit();
        setenv("HOME", path.constData(), 1);
        setenv("XDG_CONFIG_HOME", (path + "/config").constData(), 1);
        setenv("XDG_RUNTIME_DIR", path.constData(), 1);
    }
    QString Path() const { return folder_.path(); }
    // Everything below the folder, so a test can tell that nothing was written.
    QStringList Entries() const {
        QStringList found;
        CollectEntries(QDir(folder_.path()), found);
        return found;
    }

  private:
    static void CollectEntries(const QDir& dir, QStringList& found) {
        const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            found << entry.fileName();
            if (entry.isDir()) {
                CollectEntries(QDir(entry.filePath()), found);
            }
        }
    }
    QTemporaryDir folder_;
};

// One box or question the code under test showed.
struct PromptCall {
    QString kind; // "Warning", "Error", "Information" or "Question"
    QString title;
    QString text;
    bool waitCursor = false; // the wait cursor was still shown when the box came up
};

// Answers questions from a queue (No when it runs dry) and records every box.
class ScriptedPrompter final : public ui::Prompter {
  public:
    ScriptedPrompter() { ui::SetPrompter(this); }
    ~ScriptedPrompter() override { ui::SetPrompter(nullptr); }

    std::vector<PromptCall> calls;
    std::deque<bool> answers;

    void Warning(QWidget*, const QString& title, const QString& text) override {
        Record("Warning", title, text);
    }
    void Error(QWidget*, const QString& title, const QString& text) override {
        Record("Error", title, text);
    }
    void Information(QWidget*, const QString& title, const QString& text) override {
        Record("Information", title, text);
    }
    bool Question(QWidget*, const QString& title, const QString& text, bool) override {
        Record("Question", title, text);
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString OpenFile(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString SelectFolder(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QColor> PickColor(QWidget*, const QColor&) override { return std::nullopt; }
    std::optional<QFont> PickFont(QWidget*, const QFont&) override { return std::nullopt; }

  private:
    void Record(const QString& kind, const QString& title, const QString& text) {
        const QCursor* cursor = QApplication::overrideCursor();
        calls.push_back({kind, title, text,
                         cursor != nullptr && cursor->shape() == Qt::WaitCursor});
    }
};

// A fake xdg-open first on PATH that appends each target it is given to a record file.
class FakeOpener {
  public:
    FakeOpener() {
        savedPath_ = qgetenv("PATH");
        record_ = folder_.filePath("opened.txt");
        QFile script(folder_.filePath("xdg-open"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record_.toLocal8Bit() + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", folder_.path().toLocal8Bit() + ":" + savedPath_);
    }
    ~FakeOpener() { qputenv("PATH", savedPath_); }

    // The targets opened so far, in the order the openers wrote them.
    QStringList Opened() const {
        QFile file(record_);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

  private:
    QTemporaryDir folder_;
    QString record_;
    QByteArray savedPath_;
};

// Opened after an action: once it has arrived, whatever the action opened has had its turn.
inline constexpr const char* kOpenSentinel = "sentinel:nothing-else";

inline QStringList SortedOpened(const FakeOpener& opener) {
    QStringList opened = opener.Opened();
    opened.sort();
    return opened;
}

// Checks the opener saw exactly expected and nothing more. Detached openers finish in any
// order, so the lists are compared sorted, after the sentinel has arrived.
inline void ExpectOpenedExactly(const FakeOpener& opener, QStringList expected) {
    OpenDocument(kOpenSentinel);
    expected << kOpenSentinel;
    expected.sort();
    QTRY_VERIFY_WITH_TIMEOUT(opener.Opened().contains(kOpenSentinel), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(SortedOpened(opener), expected, 5000);
}

} // namespace millconv::test
