// The command table: every menu item, main toolbar button and shortcut of the main window.
#pragma once

#include <QString>

#include <span>
#include <string>

class QMenuBar;
class QToolBar;
class QWidget;

namespace millconv::ui {

class MainWindow;

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
    bool separatorBefore;               // in its menu
    const char* catalogueKey;           // section "Menu": the item text and the toolbar tooltip
    const char* shortcut;               // QKeySequence text; empty for none
    const char* iconKey;                // menu icon and toolbar icon
    void (*action)(MainWindow& window); // nullptr: the command does nothing yet
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
void RunCommand(MainWindow& window, int id);

// A menu bar holding the File, Converter and Help menus with icons and shortcuts.
QMenuBar* BuildMenuBar(MainWindow& window);

// The main toolbar with square icons of iconPixels.
QToolBar* BuildMainToolBar(MainWindow& window, int iconPixels);

// A toolbar of one button for the command, with its menu icon, placed by position inside parent.
QToolBar* BuildCommandToolBar(MainWindow& window, QWidget* parent, int id, const char* tooltipKey);

} // namespace millconv::ui
