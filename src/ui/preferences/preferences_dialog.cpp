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
#include "ui/catalogue_text.h"
#include "ui/form_metrics.h"
#include "ui/input_guards.h"
#include "ui/mnemonics.h"
#include "ui/preferences/pages.h"
#include "ui/preferences/row_controls.h"
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

// Where the frame's controls stand, in design pixels.
constexpr QSize kDialogSize(600, 350);
constexpr QRect kPageListPlace(10, 10, 120, 295);
constexpr QRect kTitleStripPlace(140, 10, 450, 30);
constexpr QRect kTitleTextPlace(10, 7, 330, 20); // on the strip
constexpr QRect kPageAreaPlace(140, 50, 450, 255);
constexpr QRect kDefaultsPlace(QPoint(10, 315), kButtonSize);
constexpr QRect kOkPlace(QPoint(420, 315), kButtonSize);
constexpr QRect kCancelPlace(QPoint(510, 315), kButtonSize);
constexpr int kTitlePointSize = 10;

// Colour correction runs only when one of its values is not neutral.
void DeriveColorCorrection(Settings& settings) {
    Settings::Adjustment& a = settings.adjustment;
    const bool neutralGamma = std::fabs(a.imageGamma - 1.0f) < 0.001f;
    a.doImageColorCorrection =
        (a.imageBrightness != 0 || a.imageContrast != 0 || !neutralGamma || a.imageInvert != 0) ? 1
                                                                                                : 0;
}

QPushButton* AddButton(QWidget* parent, std::string_view key, const QRect& place) {
    auto* button = new QPushButton(UiText("Dialog", key), parent);
    Place(button, place);
    // Enter presses a focused button, else OK (the default).
    button->setAutoDefault(true);
    return button;
}

} // namespace

bool ConfirmResetToDefaults(QWidget* parent) {
    return CurrentPrompter().Question(parent, UiText("Msg", "Reset to Defaults"),
                                      UiText("Msg", "Ask reset to defaults"));
}

int ThemeRefreshRequest(const Settings& before, const Settings& after) {
    if (before.interface.uiTheme != after.interface.uiTheme) {
        return 1;
    }
    return before.interface.uiSize != after.interface.uiSize ? 2 : 0;
}

PreferencesDialog::PreferencesDialog(QWidget* mainWindow, int startPage)
    : QDialog(mainWindow), copy_(gSettings), binder_(copy_) {
    setWindowTitle(UiText("Preferences", "Title"));
    setFixedSize(Scaled(kDialogSize));
    InstallWheelGuard();
    setModal(true);

    pageList_ = new QListWidget(this);
    Place(pageList_, kPageListPlace);
    for (int i = 0; i < kPageCount; ++i) {
        pageList_->addItem(PrefText(PageKey(i)));
    }

    auto* strip = new QWidget(this);
    Place(strip, kTitleStripPlace);
    strip->setAutoFillBackground(true);
    QPalette white = strip->palette();
    white.setColor(QPalette::Window, Qt::white);
    strip->setPalette(white);
    pageTitle_ = new QLabel(strip);
    Place(pageTitle_, kTitleTextPlace);
    QFont titleFont = font();
    // Larger by as much as the dialog font is larger than the design font.
    titleFont.setPointSizeF(kTitlePointSize *
                            std::max(1.0, titleFont.pointSizeF() / kDesignPointSize));
    titleFont.setBold(true);
    pageTitle_->setFont(titleFont);

    pages_ = new QStackedWidget(this);
    Place(pages_, kPageAreaPlace);
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
    okButton_->setDefault(true);
    AddMnemonics(this, MnemonicSet());

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
