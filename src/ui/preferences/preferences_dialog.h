// The preferences dialog: nine pages over a copy of the settings record.
#pragma once

#include <QDialog>

#include "settings/settings.h"
#include "ui/preferences/setting_binder.h"

class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace millconv::ui {

// Opens the modal preferences dialog on the job's start page (then resets it to 0). OK stores
// the edited copy into the settings record, saves it and records a theme refresh request;
// Defaults (once confirmed) does the same with the built-in defaults; Cancel keeps the record.
// Returns true when the record changed, so the caller applies it to the main window.
bool RunPreferencesDialog(QWidget* mainWindow);

// Asks whether to reset every setting to its default; true for Yes. Changes nothing itself.
bool ConfirmResetToDefaults(QWidget* parent);

// The refresh the main window needs after the record changed from before to after: 1 when the
// theme changed (everything), 2 when only the icon size did (toolbar), else 0.
int ThemeRefreshRequest(const Settings& before, const Settings& after);

class PreferencesDialog : public QDialog {
    Q_OBJECT
  public:
    // Builds and fills every page and shows the job's start page (resetting it to 0).
    explicit PreferencesDialog(QWidget* mainWindow);

    int CurrentPage() const;
    void ShowPage(int index);
    QWidget* Page(int index) const;

    QPushButton* DefaultsButton() const { return defaultsButton_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }
    QListWidget* PageList() const { return pageList_; }
    QLabel* PageTitle() const { return pageTitle_; }

  private:
    void StoreAndClose();
    void ResetToDefaults();
    void Finish(const Settings& before);

    Settings copy_;
    SettingBinder binder_;
    QListWidget* pageList_ = nullptr;
    QLabel* pageTitle_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QPushButton* defaultsButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace millconv::ui
