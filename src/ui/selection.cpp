// Choosing the input file and the output folder in the window, and the recent folder list.
#include "ui/selection.h"

#include "job/job_record.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"
#include "ui/prompter.h"
#include "ui/theme_images.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QIcon>
#include <QLineEdit>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QStringList>
#include <QWidget>

namespace millconv::ui {

namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

QStringList RecentFolderEntries() {
    return FromUtf8(gSettings.file.recentOutFolders).split(QLatin1Char('\t'));
}

// After a dialog the window lays itself out again, as after any resize.
void RequestLayout(const WindowControls& controls) {
    if (controls.window != nullptr) {
        const QSize size = controls.window->size();
        QCoreApplication::postEvent(controls.window, new QResizeEvent(size, size));
    }
}

bool OutputFolderSelected(const WindowControls& controls) {
    return controls.outputFolderBox != nullptr && controls.outputFolderBox->currentIndex() >= 0;
}

// The folder becomes the job's output folder and the first recent one.
void UseOutputFolder(const WindowControls& controls, const QString& folder) {
    RememberOutputFolder(folder);
    gJob.outputFolder = folder.toStdString();
    RefillOutputFolderBox(controls);
}

} // namespace

bool AcceptInputFile(const WindowControls& controls, const QString& path) {
    const std::string file = path.toStdString();
    if (!AddInputFile(file)) {
        return false;
    }
    if (controls.inputField != nullptr) {
        controls.inputField->setText(path);
    }
    if (!OutputFolderSelected(controls)) {
        const std::string folder = gJob.baseFolder.empty() ? FolderOf(file) : gJob.baseFolder;
        UseOutputFolder(controls, FromUtf8(folder));
    }
    return true;
}

bool SelectInputFile(const WindowControls& controls) {
    const QString chosen = CurrentPrompter().OpenFile(
        controls.window, FromUtf8(CatalogueText("Dialog", "Select Input Files")),
        FromUtf8(gJob.currentInput), QtFileFilter(InputFileFilter()));
    const bool accepted = !chosen.isEmpty() && AcceptInputFile(controls, chosen);
    gJob.currentInput.clear();
    RequestLayout(controls);
    return accepted;
}

void SelectOutputFolder(const WindowControls& controls) {
    QString start = FromUtf8(gJob.outputFolder);
    if (OutputFolderSelected(controls)) {
        start = FromUtf8(FolderOf(controls.outputFolderBox->currentText().toStdString()));
    }
    const QString chosen = CurrentPrompter().SelectFolder(
        controls.window, FromUtf8(CatalogueText("Dialog", "Select Output Folder")), start);
    if (!chosen.isEmpty() && FolderExists(chosen.toStdString())) {
        UseOutputFolder(controls, chosen);
    }
    RequestLayout(controls);
}

bool RememberOutputFolder(const QString& folder) {
    if (folder.isEmpty()) {
        return false;
    }
    const int limit = gSettings.advanced.outFoldersNumber;
    // The new folder is always kept, even when the list may hold no entries at all.
    QString list = folder;
    int kept = 1;
    for (int index = 0; index < limit; ++index) {
        const QString entry = RecentFolder(index);
        if (!entry.isEmpty() && kept <= limit - 1 && !SameFolder(entry, folder)) {
            list += QLatin1Char('\t') + entry;
            ++kept;
        }
    }
    gSettings.file.recentOutFolders = list.toStdString();
    return true;
}

void RefillOutputFolderBox(const WindowControls& controls) {
    QComboBox* box = controls.outputFolderBox;
    if (box == nullptr || gSettings.file.recentOutFolders.empty()) {
        return;
    }
    // Filling the box is not a pick by the user: the window's box handler must not see it.
    const QSignalBlocker blocker(box);
    const QString current = FromUtf8(gJob.outputFolder);
    const QIcon icon(MenuIcon(QStringLiteral("FavFolder")));
    box->clear();
    int selected = 0;
    for (int index = 0; index < gSettings.advanced.outFoldersNumber; ++index) {
        const QString entry = RecentFolder(index);
        if (entry.isEmpty()) {
            continue;
        }
        if (entry == current) {
            selected = box->count();
        }
        box->addItem(icon, entry);
    }
    box->setCurrentIndex(box->count() > 0 ? selected : -1);
}

QString RecentFolder(int index) {
    const QStringList entries = RecentFolderEntries();
    if (index < 0 || index >= entries.size()) {
        return {};
    }
    return entries.at(index).trimmed();
}

bool SameFolder(const QString& first, const QString& second) {
    const auto withoutSlash = [](const QString& folder) {
        return folder.endsWith(QLatin1Char('/')) && folder.size() > 1 ? folder.chopped(1) : folder;
    };
    return withoutSlash(first).compare(withoutSlash(second), Qt::CaseInsensitive) == 0;
}

QString QtFileFilter(std::string_view catalogueFilter) {
    const QStringList parts =
        QString::fromUtf8(catalogueFilter.data(), static_cast<qsizetype>(catalogueFilter.size()))
            .split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts.at(i);
        const QString patterns =
            parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        entries.append(label.endsWith(suffix) ? label : label + QLatin1Char(' ') + suffix);
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace millconv::ui
