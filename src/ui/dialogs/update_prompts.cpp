// The manual and automatic update checks: fetch, compare with this build and tell the user.
#include <QApplication>
#include <QCursor>

#include "base/product.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "resources/update_check.h"
#include "settings/settings.h"
#include "ui/dialogs/help_commands.h"
#include "ui/dialogs/web_links.h"
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

// Shows the wait cursor for as long as the check blocks the window.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

bool AskCheckForUpdates(QWidget* parent) {
    return CurrentPrompter().Question(parent, UiText("Msg", "Check for Updates"),
                                      UiText("Msg", "Ask check for updates"));
}

bool AskDownloadUpdate(QWidget* parent) {
    return CurrentPrompter().Question(parent, UiText("Msg", "New Update"),
                                      UiText("Msg", "New Update Text"));
}

int32_t FetchLatestVersion() {
    const WaitCursor waiting;
    return VersionFromUpdateInfo(FetchUpdateInfo(UpdateInfoUrl(), AppTitle()));
}

} // namespace

void CheckForUpdate(QWidget* parent) {
    const int32_t latest = FetchLatestVersion();
    if (latest == 0) {
        CurrentPrompter().Error(parent, UiText("Msg", "Error"),
                                UiText("Msg", "Internet connection problems"));
    } else if (latest > kVersionNumber) {
        if (AskDownloadUpdate(parent)) {
            OpenDocument(std::string(kProductPageUrl));
        }
    } else {
        CurrentPrompter().Information(parent, UiText("Msg", "No Update"),
                                      UiText("Msg", "No Update Text"));
    }
}

void AutoUpdateCheck(QWidget* parent) {
    const int64_t today = DateValueNow();
    if (!UpdateCheckDue(gSettings.general.updateRange, gSettings.general.updateDate, today)) {
        return;
    }
    if (AskCheckForUpdates(parent)) {
        CheckForUpdate(parent);
    }
    // Recorded whatever the answer, so a declined or failed check is not asked again at once.
    gSettings.general.updateDate = static_cast<int32_t>(today);
}

} // namespace millconv::ui
