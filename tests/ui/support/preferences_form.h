// Window test support for the preferences tests: settings in the private home, a whole-record
// dump and typing into spin boxes.
#pragma once

#include <QAbstractSpinBox>
#include <QFile>
#include <QTest>

#include <sstream>
#include <string>
#include <variant>

#include "settings/settings.h"
#include "ui/support/private_home.h"

namespace millconv::ui::test {

// Window defaults with the settings file in the private home, not yet written.
inline void UsePrivateSettings() {
    millconv::test::ResetWindowSettings();
    const QString file = millconv::test::UsePrivateHome() + QStringLiteral("config.ini");
    QFile::remove(file);
    gSettings.settingsFilePath = file.toStdString();
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

// Replaces a spin box's text as a user would, keystroke by keystroke.
inline void TypeInto(QAbstractSpinBox* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

} // namespace millconv::ui::test
