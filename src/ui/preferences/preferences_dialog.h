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

struct PreferencesResult {
    bool changed = false; // the record changed: the caller applies it to the main window
    int themeRefresh = 0; // the main window's refresh (see ThemeRefreshRequest)
};

// Opens the modal preferences dialog on the start page (0 to 8; others show the first). OK
// stores the edited copy into the settings record and saves it; Defaults (once confirmed) does
// the same with the built-in defaults; Cancel keeps the record.
PreferencesResult RunPreferencesDialog(QWidget* mainWindow, int startPage = 0);

// Asks whether to reset every setting to its default; true for Yes. Changes nothing itself.
bool ConfirmResetToDefaults(QWidget* parent);

// The refresh the main window needs after the record changed from before to after: 1 when the
// theme changed (everything), 2 when only the icon size did (toolbar), else 0.
int ThemeRefreshRequest(const Settings& before, const Settings& after);

class PreferencesDialog : public QDialog {
    Q_OBJECT
  public:
    // Builds and fills every page and shows the start page.
    explicit PreferencesDialog(QWidget* mainWindow, int startPage = 0);

    int CurrentPage() const;
    void ShowPage(int index);
    QWidget* Page(int index) const;

    QPushButton* DefaultsButton() const { return defaultsButton_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }
    QListWidget* PageList() const { return pageList_; }
    QLabel* PageTitle() const { return pageTitle_; }
    // The refresh the main window needs once OK or Defaults closed the dialog; 0 before.
    int ThemeRefresh() const { return themeRefresh_; }

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
    int themeRefresh_ = 0;
};

} // namespace millconv::ui
