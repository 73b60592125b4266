// Keyboard mnemonics: the underlined letter of a menu item, label or button, chosen so that no
// two controls shown together share one.
#include "ui/mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace millconv::ui {

namespace {

bool Markable(QChar c) { return c.isLetterOrNumber(); }

// Candidate positions: first letters of words, then every other letter or digit, in order.
QList<qsizetype> CandidatePositions(const QString& text) {
    QList<qsizetype> initials;
    QList<qsizetype> others;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!Markable(text[i])) {
            continue;
        }
        const bool startsWord = i == 0 || !Markable(text[i - 1]);
        (startsWord ? initials : others).append(i);
    }
    return initials + others;
}

// The text a control shows for its mnemonic, or an empty one when it takes none.
QString MarkableText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->buddy() != nullptr ? label->text() : QString();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        // Toolbar buttons show their action's text, which is no label of theirs.
        const auto* tool = qobject_cast<const QToolButton*>(button);
        return tool != nullptr && tool->defaultAction() != nullptr ? QString() : button->text();
    }
    return {};
}

void SetMarkedText(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    }
}

} // namespace

QString MnemonicSet::Mark(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const QList<qsizetype> positions = CandidatePositions(text);
    for (qsizetype position : positions) {
        const QChar letter = text[position].toLower();
        if (taken_.contains(letter)) {
            continue;
        }
        taken_.append(letter);
        // Every "&" before the position was doubled.
        const qsizetype shift = text.left(position).count(QLatin1Char('&'));
        return escaped.insert(position + shift, QLatin1Char('&'));
    }
    return escaped;
}

void MnemonicSet::Take(const QString& markedText) {
    const QChar letter = MnemonicOf(markedText);
    if (!letter.isNull()) {
        taken_.append(letter);
    }
}

QChar MnemonicOf(const QString& markedText) {
    for (qsizetype i = 0; i + 1 < markedText.size(); ++i) {
        if (markedText[i] != QLatin1Char('&')) {
            continue;
        }
        if (markedText[i + 1] != QLatin1Char('&')) {
            return markedText[i + 1].toLower();
        }
        ++i; // a literal "&"
    }
    return {};
}

QString ShownText(const QString& markedText) {
    QString shown;
    for (qsizetype i = 0; i < markedText.size(); ++i) {
        if (markedText[i] == QLatin1Char('&') && i + 1 < markedText.size()) {
            ++i;
        }
        shown.append(markedText[i]);
    }
    return shown;
}

void AddMnemonics(QMenu* menu) {
    MnemonicSet taken;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            action->setText(taken.Mark(action->text()));
        }
    }
}

MnemonicSet AddMnemonics(QMenuBar* bar, const MnemonicSet& reserved) {
    MnemonicSet titles = reserved;
    for (QAction* action : bar->actions()) {
        action->setText(titles.Mark(action->text()));
        if (QMenu* menu = action->menu()) {
            AddMnemonics(menu);
        }
    }
    return titles;
}

void AddMnemonics(QWidget* root, MnemonicSet taken) {
    const QList<QWidget*> children = root->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        const QString text = MarkableText(child);
        if (!text.isEmpty() && MnemonicOf(text).isNull()) {
            SetMarkedText(child, taken.Mark(text));
        } else if (!text.isEmpty()) {
            taken.Take(text);
        }
    }
    for (QWidget* child : children) {
        if (!child->isWindow()) {
            AddMnemonics(child, taken);
        }
    }
}

} // namespace millconv::ui
