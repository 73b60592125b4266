// The command table: every menu item, main toolbar button and shortcut of the main window.
#include "ui/commands.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

#include "engine/job_record.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "settings/message_catalogue.h"
#include "ui/conversion_controller.h"
#include "ui/dialogs/help_commands.h"
#include "ui/main_window.h"
#include "ui/preview/preview_window.h"
#include "ui/selection.h"
#include "ui/theme_images.h"

namespace millconv::ui {

namespace {

void NewForm(MainWindow& window) { window.NewForm(); }
void Exit(MainWindow& window) { window.close(); }
void ChooseInputFile(MainWindow& window) { SelectInputFile(window.Controls()); }
void ChooseOutputFolder(MainWindow& window) { SelectOutputFolder(window.Controls()); }
void Convert(MainWindow& window) { StartWindowConversion(window.Controls()); }
void Preferences(MainWindow& window) { window.OpenPreferences(); }
void Preview(MainWindow& window) { ShowPreviewWindow(window); }

void OutputFormatOptions(MainWindow& window) {
    gWindowJob.preferencesStartPage = 3; // the Output page
    window.OpenPreferences();
}

void Manual(MainWindow&) { OpenUserManual(); }
void Feedback(MainWindow&) { SendFeedback(); }
void Homepage(MainWindow&) { VisitHomepage(); }
void FindConverter(MainWindow& window) { ShowFileConverterWindow(&window); }
void CheckUpdate(MainWindow& window) { CheckForUpdate(&window); }
void About(MainWindow& window) { ShowAboutBox(&window); }

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

struct MenuTitle {
    CommandMenu menu;
    const char* key;
};
constexpr MenuTitle kMenus[] = {{File, "File"}, {Converter, "Converter"}, {Help, "Help"}};

QAction* CommandAction(MainWindow& window, const CommandDef& command, const QPixmap& icon,
                       QObject* owner) {
    auto* action = new QAction(QIcon(icon), CommandText(command), owner);
    action->setData(command.id);
    const int id = command.id;
    QObject::connect(action, &QAction::triggered, &window,
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

QString CommandText(const CommandDef& command) {
    return QString::fromStdString(CatalogueText("Menu", command.catalogueKey));
}

void RunCommand(MainWindow& window, int id) {
    const CommandDef* command = FindCommand(id);
    if (command != nullptr && command->action != nullptr) {
        command->action(window);
    }
}

QMenuBar* BuildMenuBar(MainWindow& window) {
    auto* bar = new QMenuBar(&window);
    for (const MenuTitle& title : kMenus) {
        QMenu* menu = bar->addMenu(QString::fromStdString(CatalogueText("Menu", title.key)));
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
    return bar;
}

QToolBar* BuildMainToolBar(MainWindow& window, int iconPixels) {
    QToolBar* toolbar = FixedToolBar(QStringLiteral("main"), &window);
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

QToolBar* BuildCommandToolBar(MainWindow& window, QWidget* parent, int id, const char* tooltipKey) {
    const CommandDef* command = FindCommand(id);
    QToolBar* toolbar = FixedToolBar(CommandText(*command), parent);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setContentsMargins(0, 0, 0, 0);
    QAction* action = CommandAction(window, *command, MenuIcon(command->iconKey), toolbar);
    action->setToolTip(QString::fromStdString(CatalogueText("Menu", tooltipKey)));
    toolbar->addAction(action);
    return toolbar;
}


} // namespace millconv::ui
