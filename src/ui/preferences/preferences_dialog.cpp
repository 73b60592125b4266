// The preferences dialog: the frame around the nine pages, OK, Cancel and Defaults.
#include "ui/preferences/preferences_dialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>

#include <algorithm>
#include <cmath>

#include "settings/message_catalogue.h"
#include "settings/settings_file.h"
#include "ui/preferences/pages.h"
#include "ui/preferences/row_controls.h"
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

constexpr QSize kDialogSize(600, 350);
constexpr QRect kPageListPlace(10, 10, 120, 295);
constexpr QRect kTitleStripPlace(140, 10, 450, 30);
constexpr QRect kTitleTextPlace(10, 7, 330, 20); // on the strip
constexpr QRect kPageAreaPlace(140, 50, 450, 255);
constexpr QRect kDefaultsPlace(10, 315, 80, 25);
constexpr QRect kOkPlace(420, 315, 80, 25);
constexpr QRect kCancelPlace(510, 315, 80, 25);
constexpr int kTitlePointSize = 10;

QString CatalogueQText(std::string_view section, std::string_view key) {
    return QString::fromStdString(CatalogueText(section, key));
}

// Colour correction runs only when one of its values is not neutral.
void DeriveColorCorrection(Settings& settings) {
    Settings::Adjustment& a = settings.adjustment;
    const bool neutralGamma = std::fabs(a.imageGamma - 1.0f) < 0.001f;
    a.doImageColorCorrection =
        (a.imageBrightness != 0 || a.imageContrast != 0 || !neutralGamma || a.imageInvert != 0) ? 1
                                                                                                : 0;
}

QPushButton* AddButton(QWidget* parent, std::string_view key, const QRect& place) {
    auto* button = new QPushButton(CatalogueQText("Dialog", key), parent);
    button->setGeometry(place);
    // Enter in a field must not close the dialog; only the buttons do.
    button->setAutoDefault(false);
    return button;
}

} // namespace

bool ConfirmResetToDefaults(QWidget* parent) {
    return CurrentPrompter().Question(parent, CatalogueQText("Msg", "Reset to Defaults"),
                                      CatalogueQText("Msg", "Ask reset to defaults"));
}

int ThemeRefreshRequest(const Settings& before, const Settings& after) {
    if (before.interface.uiTheme != after.interface.uiTheme) {
        return 1;
    }
    return before.interface.uiSize != after.interface.uiSize ? 2 : 0;
}

PreferencesDialog::PreferencesDialog(QWidget* mainWindow, int startPage)
    : QDialog(mainWindow), copy_(gSettings), binder_(copy_) {
    setWindowTitle(CatalogueQText("Preferences", "Title"));
    setFixedSize(kDialogSize);
    setModal(true);

    pageList_ = new QListWidget(this);
    pageList_->setGeometry(kPageListPlace);
    for (int i = 0; i < kPageCount; ++i) {
        pageList_->addItem(PrefText(PageKey(i)));
    }

    auto* strip = new QWidget(this);
    strip->setGeometry(kTitleStripPlace);
    strip->setAutoFillBackground(true);
    QPalette white = strip->palette();
    white.setColor(QPalette::Window, Qt::white);
    strip->setPalette(white);
    pageTitle_ = new QLabel(strip);
    pageTitle_->setGeometry(kTitleTextPlace);
    QFont titleFont = font();
    titleFont.setPointSize(kTitlePointSize);
    titleFont.setBold(true);
    pageTitle_->setFont(titleFont);

    pages_ = new QStackedWidget(this);
    pages_->setGeometry(kPageAreaPlace);
    pages_->addWidget(new GeneralPage(pages_, binder_));
    pages_->addWidget(new InterfacePage(pages_, binder_));
    pages_->addWidget(new InputPage(pages_, binder_));
    pages_->addWidget(new OutputPage(pages_, binder_));
    pages_->addWidget(new TransformPage(pages_, binder_));
    pages_->addWidget(new AdjustmentPage(pages_, binder_));
    pages_->addWidget(new FramePage(pages_, binder_));
    pages_->addWidget(new WatermarkPage(pages_, binder_));
    pages_->addWidget(new AdvancedPage(pages_, binder_));

    defaultsButton_ = AddButton(this, "Defaults", kDefaultsPlace);
    okButton_ = AddButton(this, "OK", kOkPlace);
    cancelButton_ = AddButton(this, "Cancel", kCancelPlace);
    connect(defaultsButton_, &QPushButton::clicked, this, &PreferencesDialog::ResetToDefaults);
    connect(okButton_, &QPushButton::clicked, this, &PreferencesDialog::StoreAndClose);
    // Escape and the close box reject the dialog just as Cancel does.
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    binder_.Fill();
    connect(pageList_, &QListWidget::currentRowChanged, this, &PreferencesDialog::ShowPage);
    ShowPage(std::clamp(startPage, 0, kPageCount - 1));
    pageList_->setFocus();
}

int PreferencesDialog::CurrentPage() const { return pages_->currentIndex(); }

QWidget* PreferencesDialog::Page(int index) const { return pages_->widget(index); }

void PreferencesDialog::ShowPage(int index) {
    if (index < 0 || index >= kPageCount) {
        return;
    }
    pageTitle_->setText(PrefText(PageKey(index)));
    pages_->setCurrentIndex(index);
    if (pageList_->currentRow() != index) {
        pageList_->setCurrentRow(index);
    }
}

void PreferencesDialog::StoreAndClose() {
    binder_.Store();
    copy_.general.language = "en";
    DeriveColorCorrection(copy_);
    const Settings before = gSettings;
    gSettings = copy_;
    Finish(before);
}

void PreferencesDialog::ResetToDefaults() {
    if (!ConfirmResetToDefaults(this)) {
        return;
    }
    const Settings before = gSettings;
    SetDefaultSettings(false, gSettings);
    Finish(before);
}

void PreferencesDialog::Finish(const Settings& before) {
    // Compared with what the main window shows now, so a reset after choosing the default
    // theme in the dialog still refreshes it.
    themeRefresh_ = ThemeRefreshRequest(before, gSettings);
    // A failed save is not fatal here: the record holds the settings and exit saves again.
    SaveSettings(gSettings);
    accept();
}

PreferencesResult RunPreferencesDialog(QWidget* mainWindow, int startPage) {
    PreferencesDialog dialog(mainWindow, startPage);
    const bool changed = dialog.exec() == QDialog::Accepted;
    return {changed, dialog.ThemeRefresh()};
}

} // namespace millconv::ui
