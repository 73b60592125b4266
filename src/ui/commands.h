// The command table: every menu item, main toolbar button and shortcut of the main window.
#pragma once

#include <QString>

#include <span>
#include <string>

#include "ui/mnemonics.h"
#include "ui/window_controls.h"

class QMenuBar;
class QToolBar;
class QWidget;

namespace millconv::ui {

// What the commands act on: the main window, seen through the little they need of it.
class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    // The window itself: parent of the dialogs, closed by Exit.
    virtual QWidget* Widget() = 0;
    virtual WindowControls Controls() = 0;
    virtual void NewForm() = 0;
    // Opens the preferences dialog on a start page (0 to 8) and applies what it changed.
    virtual void OpenPreferences(int startPage) = 0;
};

// Command numbers shared by menu items, toolbar buttons and shortcuts.
enum CommandId : int {
    kCommandNew = 0,
    kCommandExit = 3,
    kCommandSelectInputFile = 5,
    kCommandSelectOutputFolder = 7,
    kCommandOutputFormatOptions = 8,
    kCommandConvert = 14,
    kCommandPreview = 15,
    kCommandCustomConverter = 16,
    kCommandPreferences = 17,
    kCommandManual = 18,
    kCommandSendFeedback = 21,
    kCommandVisitHomepage = 22,
    kCommandCheckForNewVersion = 23,
    kCommandAbout = 24,
};

enum class CommandMenu { None, File, Converter, Help };

struct CommandDef {
    int id;
    CommandMenu menu;
    bool separatorBefore;                  // in its menu
    const char* catalogueKey;              // section "Menu": the item text and the toolbar tooltip
    const char* shortcut;                  // QKeySequence text; empty for none
    const char* iconKey;                   // menu icon and toolbar icon
    void (*action)(CommandTarget& window); // nullptr: the command does nothing yet
};

// Every command, in menu order.
std::span<const CommandDef> Commands();

// The command with that number; nullptr for a number without a command.
const CommandDef* FindCommand(int id);

// The main toolbar's buttons in order; kToolbarSeparator stands for a separator.
inline constexpr int kToolbarSeparator = -1;
std::span<const int> MainToolbarCommands();

// The item text of a command from the message catalogue.
QString CommandText(const CommandDef& command);

// Runs a command's action; numbers without an action do nothing.
void RunCommand(CommandTarget& window, int id);

// A menu bar holding the File, Converter and Help menus with icons, shortcuts and mnemonics.
QMenuBar* BuildMenuBar(CommandTarget& window);

// The letters the window's own controls must leave to the menu bar and the shortcuts.
MnemonicSet WindowMnemonics(const QMenuBar& bar);

// The main toolbar with square icons of iconPixels.
QToolBar* BuildMainToolBar(CommandTarget& window, int iconPixels);

// A toolbar of one button for the command, with its menu icon, placed by position inside parent.
// Unlike the main toolbar's, its button takes the focus by Tab.
QToolBar* BuildCommandToolBar(CommandTarget& window, QWidget* parent, int id,
                              const char* tooltipKey);

} // namespace millconv::ui
