// The manual and automatic update checks: fetch, compare with this build and tell the user.
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

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

bool AskCheckForUpdates(QWidget* parent) {
    return CurrentPrompter().Question(parent, UiText("Msg", "Check for Updates"),
                                      UiText("Msg", "Ask check for updates"));
}

bool AskDownloadUpdate(QWidget* parent) {
    return CurrentPrompter().Question(parent, UiText("Msg", "New Update"),
                                      UiText("Msg", "New Update Text"));
}

// What the check's thread and the window share; the thread may outlive neither.
struct FetchState {
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    std::string info;
};

// The fetch runs on a thread of its own while a busy dialog with Cancel keeps the window
// responsive. Nothing when the user cancelled; 0 when the check failed.
std::optional<int32_t> FetchLatestVersion(QWidget* parent) {
    FetchState state;
    std::thread worker;
    try {
        worker = std::thread([&state, url = UpdateInfoUrl(), agent = AppTitle()] {
            state.info = FetchUpdateInfo(url, agent, kUpdateWaitLimit, &state.cancel);
            state.done = true;
        });
    } catch (const std::system_error&) {
        return 0; // no thread: as good as no connection
    }
    QProgressDialog busy(UiText("Msg", "Check for Updates"), UiText("Dialog", "Cancel"), 0, 0,
                         parent);
    busy.setWindowTitle(UiText("Msg", "Check for Updates"));
    busy.setWindowModality(Qt::WindowModal);
    busy.setMinimumDuration(0);
    busy.setAutoReset(false);
    busy.setAutoClose(false);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &busy, [&busy, &state] {
        if (state.done) {
            busy.accept();
        }
    });
    poll.start(static_cast<int>(kUpdatePollDelay.count()));
    const bool finished = state.done || busy.exec() == QDialog::Accepted;
    // A cancelled fetch notices within one poll delay; a name lookup it was waiting for is
    // left to finish on its own.
    state.cancel = true;
    worker.join();
    if (!finished) {
        return std::nullopt;
    }
    return VersionFromUpdateInfo(state.info);
}

} // namespace

void CheckForUpdate(QWidget* parent) {
    const std::optional<int32_t> fetched = FetchLatestVersion(parent);
    if (!fetched) {
        return;
    }
    const int32_t latest = *fetched;
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
