// Shared set-up of the preferences dialog tests: private folders, a scripted prompter, look-ups.
#pragma once

#include <QAbstractSpinBox>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <optional>
#include <sstream>
#include <string>
#include <variant>

#include "engine/job_record.h"
#include "settings/settings.h"
#include "ui/prompter.h"

namespace millconv::ui::testing {

// Answers every box and picker from queues; an empty queue answers as a cancelled dialog.
class ScriptedPrompter final : public Prompter {
  public:
    std::deque<bool> answers;
    std::deque<std::optional<QColor>> colors;
    std::deque<std::optional<QFont>> fonts;
    std::deque<QString> files;
    int questions = 0;
    QColor lastColorStart;
    QFont lastFontStart;
    QString lastFileTitle, lastFileStart, lastFileFilter;

    void Warning(QWidget*, const QString&, const QString&) override {}
    void Error(QWidget*, const QString&, const QString&) override {}
    void Information(QWidget*, const QString&, const QString&) override {}
    bool Question(QWidget*, const QString& title, const QString& text, bool) override {
        ++questions;
        lastQuestion = title + QLatin1Char('|') + text;
        return Take(answers, false);
    }
    QString OpenFile(QWidget*, const QString& title, const QString& start,
                     const QString& filter) override {
        lastFileTitle = title;
        lastFileStart = start;
        lastFileFilter = filter;
        return Take(files, QString());
    }
    QString SelectFolder(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QColor> PickColor(QWidget*, const QColor& initial) override {
        lastColorStart = initial;
        return Take(colors, std::optional<QColor>());
    }
    std::optional<QFont> PickFont(QWidget*, const QFont& initial) override {
        lastFontStart = initial;
        return Take(fonts, std::optional<QFont>());
    }
    QString lastQuestion;

  private:
    template <typename T> static T Take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) {
            return fallback;
        }
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

// Points HOME and the XDG folders at a temporary folder and starts from window defaults.
inline void UsePrivateSettings(const QTemporaryDir& home) {
    const QByteArray path = home.path().toUtf8();
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/config");
    qputenv("XDG_RUNTIME_DIR", path);
    SetDefaultSettings(false, gSettings);
    const QString file = home.path() + QStringLiteral("/config.ini");
    QFile::remove(file);
    gSettings.settingsFilePath = file.toStdString();
    gWindowJob.preferencesStartPage = 0;
    gWindowJob.themeRefreshRequest = 0;
}

// Every setting as "[Group] Key=value" lines, to compare whole records.
inline std::string Dump(Settings& settings) {
    std::ostringstream out;
    for (const SettingDef& def : SettingsTable()) {
        out << '[' << def.group << "] " << def.key << '=';
        std::visit([&out](auto* p) {
            if constexpr (std::is_same_v<decltype(p), int8_t*>) {
                out << static_cast<int>(*p);
            } else {
                out << *p;
            }
        }, def.field(settings));
        out << '\n';
    }
    return out.str();
}

// The control whose label (inside scope) reads text; fails the test when not exactly one.
template <typename Control = QWidget>
Control* ControlFor(const QWidget* scope, const QString& text) {
    Control* found = nullptr;
    int matches = 0;
    for (QLabel* label : scope->findChildren<QLabel*>()) {
        if (label->text() == text && label->buddy() != nullptr) {
            ++matches;
            found = qobject_cast<Control*>(label->buddy());
        }
    }
    if (matches != 1 || found == nullptr) {
        qWarning("Label \"%s\": %d matches", qPrintable(text), matches);
        return nullptr;
    }
    return found;
}

// Replaces a spin box's text as a user would, keystroke by keystroke.
inline void TypeInto(QAbstractSpinBox* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

} // namespace millconv::ui::testing
