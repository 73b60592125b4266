// Keyboard mnemonics: the underlined letter of a menu item, label or button, chosen so that no
// two controls shown together share one.
#include "ui/mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include <functional>
#include <map>
#include <set>

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

// The text with a literal "&" doubled and the mark before position (none when it is -1).
QString MarkAt(const QString& text, qsizetype position) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (position < 0) {
        return escaped;
    }
    // Every "&" before the position was doubled.
    const qsizetype shift = text.left(position).count(QLatin1Char('&'));
    return escaped.insert(position + shift, QLatin1Char('&'));
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

QString MnemonicSet::Mark(const QString& text) { return MarkAll({text}).constFirst(); }

QStringList MnemonicSet::MarkAll(const QStringList& texts) {
    // Kuhn's augmenting paths: each text tries its candidates in order, displacing an earlier
    // text only when that one can move to another free letter.
    QList<QList<qsizetype>> candidates;
    for (const QString& text : texts) {
        candidates.append(CandidatePositions(text));
    }
    QList<qsizetype> chosen(texts.size(), -1);
    std::map<QChar, qsizetype> owner; // letter -> text index
    const auto take = [&](qsizetype i, qsizetype position, QChar letter) {
        owner[letter] = i;
        chosen[i] = position;
        return true;
    };
    std::function<bool(qsizetype, std::set<QChar>&)> place = [&](qsizetype i,
                                                                 std::set<QChar>& visited) {
        // A free letter first, so no text moves when it need not.
        for (qsizetype position : candidates[i]) {
            const QChar letter = texts[i][position].toLower();
            if (!taken_.contains(letter) && !owner.contains(letter)) {
                return take(i, position, letter);
            }
        }
        for (qsizetype position : candidates[i]) {
            const QChar letter = texts[i][position].toLower();
            if (taken_.contains(letter) || !visited.insert(letter).second) {
                continue;
            }
            if (place(owner.at(letter), visited)) {
                return take(i, position, letter);
            }
        }
        return false;
    };
    for (qsizetype i = 0; i < texts.size(); ++i) {
        std::set<QChar> visited;
        place(i, visited);
    }
    QStringList marked;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        marked << MarkAt(texts[i], chosen[i]);
        if (chosen[i] >= 0) {
            taken_.append(texts[i][chosen[i]].toLower());
        }
    }
    return marked;
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
    QList<QAction*> items;
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            items << action;
            texts << action->text();
        }
    }
    const QStringList marked = MnemonicSet().MarkAll(texts);
    for (qsizetype i = 0; i < items.size(); ++i) {
        items[i]->setText(marked[i]);
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
    QList<QWidget*> unmarked;
    QStringList texts;
    for (QWidget* child : children) {
        const QString text = MarkableText(child);
        if (text.isEmpty()) {
            continue;
        }
        if (MnemonicOf(text).isNull()) {
            unmarked << child;
            texts << text;
        } else {
            taken.Take(text);
        }
    }
    const QStringList marked = taken.MarkAll(texts);
    for (qsizetype i = 0; i < unmarked.size(); ++i) {
        SetMarkedText(unmarked[i], marked[i]);
    }
    for (QWidget* child : children) {
        if (!child->isWindow()) {
            AddMnemonics(child, taken);
        }
    }
}

} // namespace millconv::ui
