// Builds the links of the Help menu and the small windows, and opens the simple ones.
#include "ui/dialogs/web_links.h"

#include <QUrl>

#include "base/product.h"
#include "platform/files.h"
#include "platform/program_folders.h"
#include "platform/shell.h"
#include "settings/message_catalogue.h"
#include "ui/dialogs/help_commands.h"

namespace millconv::ui {

namespace {

constexpr const char* kManualName = "millconv.html";

} // namespace

QString WindowTitle() { return QString::fromStdString(AppTitle()); }

std::string SupportMailLink() { return "mailto:" + std::string(kSupportAddress); }

std::string FeedbackLink() {
    // Blanks are not allowed in a URL: the subject is percent-encoded, which every mail
    // client decodes back to the window title.
    const QByteArray subject =
        QUrl::toPercentEncoding(QString::fromStdString(AppTitle() + " Feedback"));
    return SupportMailLink() + "?subject=" + subject.toStdString();
}

std::string ConverterSearchLink(const std::string& source, const std::string& target) {
    return std::string(kSiteRootUrl) + "find/" + source + "-" + target + "/";
}

std::string UninstallLink() { return std::string(kProductPageUrl) + "uninstall.html"; }

std::string UserManualPath(const std::string& programFolder) {
    const std::string found = FindProgramData(ProgramData::Manual, kManualName, programFolder);
    return found.empty() ? InstalledDataFolder(ProgramData::Manual, programFolder) + kManualName
                         : found;
}

void OpenUserManual() { OpenDocument(UserManualPath(ProgramFolder())); }

void SendFeedback() { OpenDocument(FeedbackLink()); }

void VisitHomepage() { OpenDocument(std::string(kProductPageUrl)); }

} // namespace millconv::ui
