// The page the uninstaller shows ("-U"): an optional visit to the maker's uninstall centre.
#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace millconv::ui {

class UninstallPage : public QDialog {
    Q_OBJECT
  public:
    UninstallPage();

    QCheckBox* VisitBox() const { return visitBox_; }
    QPushButton* NextButton() const { return nextButton_; }

  private:
    // Ends the page, first opening the uninstall centre when the box is ticked.
    void Next();

    QCheckBox* visitBox_ = nullptr;
    QPushButton* nextButton_ = nullptr;
};

} // namespace millconv::ui
