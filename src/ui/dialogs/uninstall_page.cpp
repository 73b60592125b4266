// The uninstall page (300 x 100), run with its own application object for "-U".
#include "ui/dialogs/uninstall_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QPushButton>
#include <QScreen>

#include <memory>

#include "platform/shell.h"
#include "ui/dialogs/help_commands.h"
#include "ui/dialogs/web_links.h"
#include "ui/form_metrics.h"
#include "ui/mnemonics.h"
#include "ui/qt_start.h"
#include "ui/theme_images.h"

namespace millconv::ui {

namespace {

// Where the controls stand, in design pixels.
constexpr QSize kClientSize(300, 100);
constexpr QRect kVisitPlace(30, 20, 250, kFieldHeight);
constexpr QRect kNextPlace(QPoint(200, 60), kButtonSize);

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect place = window->geometry();
    place.moveCenter(screen->availableGeometry().center());
    window->move(place.topLeft());
}

} // namespace

UninstallPage::UninstallPage() {
    setWindowTitle(UiText("Uninstall", "Title"));
    setWindowIcon(QIcon(ApplicationImage()));
    setFixedSize(Scaled(kClientSize));

    visitBox_ = new QCheckBox(UiText("Uninstall", "Uninstall Text"), this);
    Place(visitBox_, kVisitPlace);
    visitBox_->setChecked(true);

    nextButton_ = new QPushButton(UiText("Uninstall", "Next"), this);
    Place(nextButton_, kNextPlace);
    nextButton_->setDefault(true);
    connect(nextButton_, &QPushButton::clicked, this, &UninstallPage::Next);

    AddMnemonics(this, MnemonicSet());
    CentreOnScreen(this);
    nextButton_->setFocus();
}

void UninstallPage::Next() {
    if (visitBox_->isChecked()) {
        OpenDocument(UninstallLink());
    }
    accept();
}

int RunUninstallPage() {
    // The page runs before (and instead of) the window mode, so it may need its own
    // application object; the settings file is never touched on this path.
    std::unique_ptr<QApplication> ownApplication;
    if (QCoreApplication::instance() == nullptr) {
        // QApplication keeps references to these for its whole life.
        static int argc = 1;
        static char programName[] = "millconv";
        static char* argv[] = {programName, nullptr};
        ownApplication = StartQt(argc, argv);
        if (ownApplication == nullptr) {
            return 1;
        }
    }
    // The built-in pictures only: no theme, since no settings name one on this path.
    LoadBuiltInImages();
    UninstallPage page;
    page.exec();
    return 0;
}

} // namespace millconv::ui
