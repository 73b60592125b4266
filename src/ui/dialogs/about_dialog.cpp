// The About window (360 x 240): every gadget at its fixed place, links that keep it open.
#include "ui/dialogs/about_dialog.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/shell.h"
#include "ui/dialogs/help_commands.h"
#include "ui/dialogs/web_links.h"
#include "ui/theme_images.h"

namespace millconv::ui {

LinkLabel::LinkLabel(const QString& text, std::string target, QWidget* parent)
    : QLabel(text, parent), target_(std::move(target)) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    // The click opens the target; the window that holds the link stays as it is.
    connect(this, &LinkLabel::Activated, this, [this] { OpenDocument(target_); });
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Activated();
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    // Space follows a focused link; Enter stays the dialog's OK.
    if (event->key() == Qt::Key_Space) {
        emit Activated();
        return;
    }
    QLabel::keyPressEvent(event);
}

AboutDialog::AboutDialog(QWidget* mainWindow) : QDialog(mainWindow) {
    setWindowTitle(UiText("About", "Title"));
    setFixedSize(360, 240);
    setModal(true);

    auto* banner = new QLabel(this);
    banner->setGeometry(0, 0, 360, 40);
    banner->setPixmap(BannerImage());

    auto* frame = new QFrame(this);
    frame->setGeometry(0, 40, 360, 150);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);

    auto* title = new QLabel(WindowTitle(), this);
    title->setGeometry(20, 50, 320, 20);
    title->setAlignment(Qt::AlignCenter);

    auto* notice = new QLabel(QString::fromUtf8(kNoticeLine.data(), kNoticeLine.size()), this);
    notice->setGeometry(20, 70, 320, 20);
    notice->setAlignment(Qt::AlignCenter);

    const QString homepage = QString::fromUtf8(kSiteRootUrl.data(), kSiteRootUrl.size());
    const QString address = QString::fromUtf8(kSupportAddress.data(), kSupportAddress.size());

    auto* webLabel = new QLabel(UiText("About", "Website"), this);
    webLabel->setGeometry(80, 100, 60, 20);
    homepageLink_ = new LinkLabel(homepage, std::string(kSiteRootUrl), this);
    homepageLink_->setGeometry(140, 100, 215, 20);
    webLabel->setBuddy(homepageLink_);

    auto* mailLabel = new QLabel(UiText("About", "Email"), this);
    mailLabel->setGeometry(80, 120, 50, 20);
    mailLink_ = new LinkLabel(address, SupportMailLink(), this);
    mailLink_->setGeometry(140, 120, 215, 20);
    mailLabel->setBuddy(mailLink_);

    okButton_ = new QPushButton(UiText("Dialog", "OK"), this);
    okButton_->setGeometry(140, 200, 80, 25);
    okButton_->setDefault(true);
    okButton_->setFocus();
    // Enter presses the default button; Escape and the close box reject, which closes too.
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void ShowAboutBox(QWidget* mainWindow) {
    AboutDialog dialog(mainWindow);
    dialog.exec();
    if (mainWindow != nullptr) {
        mainWindow->activateWindow();
        mainWindow->setFocus();
    }
}

} // namespace millconv::ui
