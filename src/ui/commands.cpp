// The command table: every menu item, main toolbar button and shortcut of the main window.
#include "ui/commands.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

#include "platform/files.h"
#include "platform/shell.h"
#include "ui/catalogue_text.h"
#include "ui/conversion_controller.h"
#include "ui/dialogs/help_commands.h"
#include "ui/mnemonics.h"
#include "ui/preferences/pages.h"
#include "ui/preview/preview_window.h"
#include "ui/selection.h"
#include "ui/theme_images.h"

namespace millconv::ui {

namespace {

void NewForm(CommandTarget& window) { window.NewForm(); }
void Exit(CommandTarget& window) { window.Widget()->close(); }
void ChooseInputFile(CommandTarget& window) { SelectInputFile(window.Controls()); }
void ChooseOutputFolder(CommandTarget& window) { SelectOutputFolder(window.Controls()); }
void Convert(CommandTarget& window) { StartWindowConversion(window.Controls()); }
void Preferences(CommandTarget& window) { window.OpenPreferences(0); }
void Preview(CommandTarget& window) { ShowPreviewWindow(window); }
void OutputFormatOptions(CommandTarget& window) { window.OpenPreferences(kOutputPage); }

void Manual(CommandTarget&) { OpenUserManual(); }
void Feedback(CommandTarget&) { SendFeedback(); }
void Homepage(CommandTarget&) { VisitHomepage(); }
void FindConverter(CommandTarget& window) { ShowFileConverterWindow(window.Widget()); }
void CheckUpdate(CommandTarget& window) { CheckForUpdate(window.Widget()); }
void About(CommandTarget& window) { ShowAboutBox(window.Widget()); }

using enum CommandMenu;

// Menu order.
constexpr CommandDef kCommands[] = {
    {kCommandNew, File, false, "New", "Ctrl+N", "New", &NewForm},
    {kCommandSelectInputFile, File, false, "Select Input File", "", "Add", &ChooseInputFile},
    {kCommandSelectOutputFolder, File, false, "Select Output Folder", "", "OutFolder",
     &ChooseOutputFolder},
    {kCommandExit, File, true, "Exit", "Alt+X", "Exit", &Exit},
    {kCommandConvert, Converter, false, "Convert", "F5", "Convert", &Convert},
    {kCommandPreview, Converter, false, "Preview", "F6", "Preview", &Preview},
    {kCommandCustomConverter, Converter, true, "Custom Converter", "", "CustomConverter",
     &FindConverter},
    {kCommandPreferences, Converter, true, "Preferences", "", "Preferences", &Preferences},
    {kCommandOutputFormatOptions, None, false, "Output Format Options", "", "OutFormat",
     &OutputFormatOptions},
    {kCommandManual, Help, false, "Manual", "F1", "Help", &Manual},
    {kCommandSendFeedback, Help, true, "Send Feedback", "", "Email", &Feedback},
    {kCommandVisitHomepage, Help, false, "Visit Homepage", "", "Web", &Homepage},
    {kCommandCheckForNewVersion, Help, false, "Check For New Version", "", "Updates", &CheckUpdate},
    {kCommandAbout, Help, true, "About", "", "About", &About},
};

constexpr int kMainToolbar[] = {
    kCommandNew,
    kCommandSelectInputFile,
    kCommandSelectOutputFolder,
    kToolbarSeparator,
    kCommandPreferences,
    kToolbarSeparator,
    kCommandConvert,
    kCommandPreview,
    kToolbarSeparator,
    kCommandManual,
    kCommandSendFeedback,
    kCommandVisitHomepage,
    kCommandCheckForNewVersion,
};

// Alt+X is Exit's shortcut, so neither a menu title nor a control of the window may take X.
const QString kShortcutLetters = QStringLiteral("x");

struct MenuTitle {
    CommandMenu menu;
    const char* key;
};
constexpr MenuTitle kMenus[] = {{File, "File"}, {Converter, "Converter"}, {Help, "Help"}};

QAction* CommandAction(CommandTarget& window, const CommandDef& command, const QPixmap& icon,
                       QObject* owner) {
    auto* action = new QAction(QIcon(icon), CommandText(command), owner);
    action->setData(command.id);
    const int id = command.id;
    QObject::connect(action, &QAction::triggered, window.Widget(),
                     [&window, id] { RunCommand(window, id); });
    return action;
}

QToolBar* FixedToolBar(const QString& name, QWidget* parent) {
    auto* toolbar = new QToolBar(name, parent);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    return toolbar;
}

} // namespace

std::span<const CommandDef> Commands() { return kCommands; }

const CommandDef* FindCommand(int id) {
    for (const CommandDef& command : kCommands) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

std::span<const int> MainToolbarCommands() { return kMainToolbar; }

QString CommandText(const CommandDef& command) { return UiText("Menu", command.catalogueKey); }

void RunCommand(CommandTarget& window, int id) {
    const CommandDef* command = FindCommand(id);
    if (command != nullptr && command->action != nullptr) {
        command->action(window);
    }
}

QMenuBar* BuildMenuBar(CommandTarget& window) {
    auto* bar = new QMenuBar(window.Widget());
    for (const MenuTitle& title : kMenus) {
        QMenu* menu = bar->addMenu(UiText("Menu", title.key));
        for (const CommandDef& command : kCommands) {
            if (command.menu != title.menu) {
                continue;
            }
            if (command.separatorBefore) {
                menu->addSeparator();
            }
            QAction* action = CommandAction(window, command, MenuIcon(command.iconKey), menu);
            if (*command.shortcut != '\0') {
                // The menu shows the shortcut text after the item.
                action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
            }
            menu->addAction(action);
        }
    }
    AddMnemonics(bar, MnemonicSet(kShortcutLetters));
    return bar;
}

MnemonicSet WindowMnemonics(const QMenuBar& bar) {
    MnemonicSet taken(kShortcutLetters);
    for (const QAction* title : bar.actions()) {
        taken.Take(title->text());
    }
    return taken;
}

QToolBar* BuildMainToolBar(CommandTarget& window, int iconPixels) {
    QToolBar* toolbar = FixedToolBar(QStringLiteral("main"), window.Widget());
    for (int id : kMainToolbar) {
        const CommandDef* command = FindCommand(id);
        if (command == nullptr) {
            toolbar->addSeparator();
            continue;
        }
        QAction* action = CommandAction(window, *command, ToolbarIcon(command->iconKey), toolbar);
        action->setToolTip(action->text());
        toolbar->addAction(action);
    }
    SetToolbarIconSize(toolbar, iconPixels);
    return toolbar;
}

QToolBar* BuildCommandToolBar(CommandTarget& window, QWidget* parent, int id,
                              const char* tooltipKey) {
    const CommandDef* command = FindCommand(id);
    QToolBar* toolbar = FixedToolBar(CommandText(*command), parent);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setContentsMargins(0, 0, 0, 0);
    QAction* action = CommandAction(window, *command, MenuIcon(command->iconKey), toolbar);
    action->setToolTip(UiText("Menu", tooltipKey));
    toolbar->addAction(action);
    // Named as the command, so the keyboard and assistive technology can reach and tell it.
    QWidget* button = toolbar->widgetForAction(action);
    button->setFocusPolicy(Qt::TabFocus);
    button->setAccessibleName(action->toolTip());
    return toolbar;
}

} // namespace millconv::ui
