// Keyboard mnemonics: the underlined letter of a menu item, label or button, chosen so that no
// two controls shown together share one.
#pragma once

#include <QString>

class QMenu;
class QMenuBar;
class QWidget;

namespace millconv::ui {

// The letters already taken in one menu or window (kept in lower case).
class MnemonicSet {
  public:
    explicit MnemonicSet(QString reserved = {}) : taken_(reserved.toLower()) {}

    // The text with "&" before the first free letter, preferring the first letters of words;
    // a literal "&" is doubled. Without a free letter or digit the text gets no mnemonic.
    QString Mark(const QString& text);

    // Marks texts shown together: as many as the free letters allow get a mnemonic (a letter
    // another text prefers yields when that one can take a different one), each as near to
    // the front of its preferences as that leaves.
    QStringList MarkAll(const QStringList& texts);

    // Records the mnemonic an already marked text carries.
    void Take(const QString& markedText);

    const QString& Taken() const { return taken_; }

  private:
    QString taken_;
};

// The letter a marked text's mnemonic stands on, in lower case; a null QChar when it has none.
QChar MnemonicOf(const QString& markedText);

// The text as shown: the mnemonic marks taken out and "&&" read as "&".
QString ShownText(const QString& markedText);

// Marks every item of the menu (one set per menu).
void AddMnemonics(QMenu* menu);

// Marks the menu bar's titles and every item of its menus; returns the titles' letters, which
// the window's own controls must leave alone.
MnemonicSet AddMnemonics(QMenuBar* bar, const MnemonicSet& reserved);

// Marks every label that names a control (its buddy) and every button with a text below root.
// Controls with the same parent are shown together and share the letters; sibling containers
// (pages, format panels) are shown one at a time, so each starts from what its parents took.
void AddMnemonics(QWidget* root, MnemonicSet taken);

} // namespace millconv::ui
