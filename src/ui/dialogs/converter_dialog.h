// The Find a File Converter window: two file types and a search on the maker's web site.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

class QLineEdit;
class QPushButton;

namespace millconv::ui {

// A file type as the search takes it: lower case, cut to its first 12 characters, then only
// 0-9, A-Z and a-z kept.
std::string CleanFileType(const QString& text);

// The two cleaned file types of the last search; kept for the whole window session.
struct ConverterSearch {
    std::string source;
    std::string target;
};
const ConverterSearch& LastConverterSearch();

class FileConverterDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FileConverterDialog(QWidget* mainWindow);

    QLineEdit* FromField() const { return fromField_; }
    QLineEdit* ToField() const { return toField_; }
    QPushButton* SearchButton() const { return searchButton_; }

  private:
    // Keeps both cleaned types as the last search; warns and stays open when either is empty,
    // else closes and opens the search.
    void Search();

    QLineEdit* fromField_ = nullptr;
    QLineEdit* toField_ = nullptr;
    QPushButton* searchButton_ = nullptr;
};

} // namespace millconv::ui
