// The About window (360 x 240): every gadget at its fixed place, links that keep it open.
#include "ui/dialogs/about_dialog.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/shell.h"
#include "ui/dialogs/help_commands.h"
#include "ui/dialogs/web_links.h"
#include "ui/form_metrics.h"
#include "ui/input_guards.h"
#include "ui/mnemonics.h"
#include "ui/theme_images.h"

namespace millconv::ui {

namespace {

// Where the controls stand, in design pixels.
constexpr QSize kClientSize(360, 240);
constexpr QRect kBannerPlace(0, 0, 360, 40);
constexpr QRect kFramePlace(0, 40, 360, 150);
// The two centred lines use the frame's whole inner width: the notice is wider than 320.
constexpr QRect kTitlePlace(2, 50, 356, kLabelHeight);
constexpr QRect kNoticePlace(2, 70, 356, kLabelHeight);
constexpr QRect kWebLabelPlace(80, 100, 60, kLabelHeight);
constexpr QRect kHomepagePlace(140, 100, 215, kLabelHeight);
constexpr QRect kMailLabelPlace(80, 120, 50, kLabelHeight);
constexpr QRect kMailPlace(140, 120, 215, kLabelHeight);
constexpr QRect kOkPlace(QPoint(140, 200), kButtonSize);

} // namespace

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
    setFixedSize(Scaled(kClientSize));
    setModal(true);

    auto* banner = new QLabel(this);
    Place(banner, kBannerPlace);
    banner->setPixmap(BannerImage());
    // The banner spans the window at every font size.
    banner->setScaledContents(true);

    auto* frame = new QFrame(this);
    Place(frame, kFramePlace);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);

    auto* title = new QLabel(WindowTitle(), this);
    Place(title, kTitlePlace);
    title->setAlignment(Qt::AlignCenter);

    auto* notice = new QLabel(QString::fromUtf8(kNoticeLine.data(), kNoticeLine.size()), this);
    Place(notice, kNoticePlace);
    notice->setAlignment(Qt::AlignCenter);

    const QString homepage = QString::fromUtf8(kSiteRootUrl.data(), kSiteRootUrl.size());
    const QString address = QString::fromUtf8(kSupportAddress.data(), kSupportAddress.size());

    auto* webLabel = new QLabel(UiText("About", "Website"), this);
    Place(webLabel, kWebLabelPlace);
    homepageLink_ = new LinkLabel(homepage, std::string(kSiteRootUrl), this);
    Place(homepageLink_, kHomepagePlace);
    webLabel->setBuddy(homepageLink_);

    auto* mailLabel = new QLabel(UiText("About", "Email"), this);
    Place(mailLabel, kMailLabelPlace);
    mailLink_ = new LinkLabel(address, SupportMailLink(), this);
    Place(mailLink_, kMailPlace);
    mailLabel->setBuddy(mailLink_);

    okButton_ = new QPushButton(UiText("Dialog", "OK"), this);
    Place(okButton_, kOkPlace);
    okButton_->setDefault(true);
    okButton_->setFocus();
    // Enter presses the default button; Escape and the close box reject, which closes too.
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    AddMnemonics(this, MnemonicSet());
}

void ShowAboutBox(QWidget* mainWindow) {
    const FocusReturn focusReturn;
    AboutDialog dialog(mainWindow);
    dialog.exec();
}

} // namespace millconv::ui
