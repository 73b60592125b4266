// The Find a File Converter window (370 x 60) and its search.
#include "ui/dialogs/converter_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/shell.h"
#include "ui/dialogs/help_commands.h"
#include "ui/dialogs/web_links.h"
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

constexpr qsizetype kFileTypeLength = 12;

bool IsPlainAlphanumeric(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

ConverterSearch gLastSearch;

void RememberSearch(const std::string& source, const std::string& target) {
    gLastSearch = {source, target};
}

} // namespace

const ConverterSearch& LastConverterSearch() { return gLastSearch; }

std::string CleanFileType(const QString& text) {
    // Cut before filtering, so "verylongextension" gives "verylongexte" and "p n g!" keeps
    // only "png" from its first twelve characters.
    const QString cut = text.toLower().left(kFileTypeLength);
    QString kept;
    for (const QChar c : cut) {
        if (IsPlainAlphanumeric(c)) {
            kept.append(c);
        }
    }
    return kept.toStdString();
}

FileConverterDialog::FileConverterDialog(QWidget* mainWindow) : QDialog(mainWindow) {
    setWindowTitle(UiText("Custom-Converter", "Title"));
    setFixedSize(370, 60);
    setModal(true);

    auto* fromLabel = new QLabel(UiText("Custom-Converter", "From"), this);
    fromLabel->setGeometry(10, 23, 40, 20);
    fromField_ = new QLineEdit(this);
    fromField_->setGeometry(50, 20, 80, 20);
    fromLabel->setBuddy(fromField_);

    auto* toLabel = new QLabel(UiText("Custom-Converter", "To"), this);
    toLabel->setGeometry(150, 23, 30, 20);
    toField_ = new QLineEdit(this);
    toField_->setGeometry(180, 20, 80, 20);
    toLabel->setBuddy(toField_);

    searchButton_ = new QPushButton(UiText("Custom-Converter", "Search"), this);
    searchButton_->setGeometry(280, 18, 80, 25);
    // Enter in either field presses the default button; Escape rejects without searching.
    searchButton_->setDefault(true);
    connect(searchButton_, &QPushButton::clicked, this, &FileConverterDialog::Search);

    fromField_->setFocus();
}

void FileConverterDialog::Search() {
    const std::string source = CleanFileType(fromField_->text());
    const std::string target = CleanFileType(toField_->text());
    RememberSearch(source, target);
    if (source.empty() || target.empty()) {
        CurrentPrompter().Warning(this, UiText("Msg", "Warning"),
                                  UiText("Msg", "Empty extensions"));
        return;
    }
    hide();
    accept();
    OpenDocument(ConverterSearchLink(source, target));
}

void ShowFileConverterWindow(QWidget* mainWindow) {
    FileConverterDialog dialog(mainWindow);
    dialog.exec();
    if (mainWindow != nullptr) {
        mainWindow->activateWindow();
        mainWindow->setFocus();
    }
}

} // namespace millconv::ui
