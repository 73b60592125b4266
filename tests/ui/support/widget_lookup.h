// Window test support: finding a control by the text of the label that names it.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include "ui/mnemonics.h"

namespace millconv::test {

using ui::ShownText;

// The control (inside scope) whose buddy label reads text (as shown, without its mnemonic mark);
// null, with a warning, unless
// exactly one label of that text names a control of that type.
template <typename Control = QWidget>
Control* ControlFor(const QWidget* scope, const QString& text) {
    Control* found = nullptr;
    int matches = 0;
    for (QLabel* label : scope->findChildren<QLabel*>()) {
        if (ShownText(label->text()) == text && label->buddy() != nullptr) {
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

} // namespace millconv::test
