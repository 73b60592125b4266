// The Find a File Converter window (370 x 60) and its search.
#include "ui/dialogs/converter_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/shell.h"
#include "ui/dialogs/help_commands.h"
#include "ui/dialogs/web_links.h"
#include "ui/form_metrics.h"
#include "ui/input_guards.h"
#include "ui/mnemonics.h"
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

constexpr qsizetype kFileTypeLength = 12;

// Where the controls stand, in design pixels.
constexpr QSize kClientSize(370, 60);
constexpr QRect kFromLabelPlace(10, 23, 40, kLabelHeight);
constexpr QRect kFromPlace(50, 20, 80, kFieldHeight);
constexpr QRect kToLabelPlace(150, 23, 30, kLabelHeight);
constexpr QRect kToPlace(180, 20, 80, kFieldHeight);
constexpr QRect kSearchPlace(QPoint(280, 18), kButtonSize);

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
    setFixedSize(Scaled(kClientSize));
    setModal(true);

    auto* fromLabel = new QLabel(UiText("Custom-Converter", "From"), this);
    Place(fromLabel, kFromLabelPlace);
    fromField_ = new QLineEdit(this);
    Place(fromField_, kFromPlace);
    fromLabel->setBuddy(fromField_);

    auto* toLabel = new QLabel(UiText("Custom-Converter", "To"), this);
    Place(toLabel, kToLabelPlace);
    toField_ = new QLineEdit(this);
    Place(toField_, kToPlace);
    toLabel->setBuddy(toField_);

    searchButton_ = new QPushButton(UiText("Custom-Converter", "Search"), this);
    Place(searchButton_, kSearchPlace);
    // Enter in either field presses the default button; Escape rejects without searching.
    searchButton_->setDefault(true);
    connect(searchButton_, &QPushButton::clicked, this, &FileConverterDialog::Search);

    AddMnemonics(this, MnemonicSet());
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
    const FocusReturn focusReturn;
    FileConverterDialog dialog(mainWindow);
    dialog.exec();
}

} // namespace millconv::ui
