// The About window: banner, title, notice line and the maker's web and e-mail links.
#pragma once

#include <QDialog>
#include <QLabel>

#include <string>

class QPushButton;

namespace millconv::ui {

// A text that opens its target when clicked, drawn in pure blue like a web link.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    LinkLabel(const QString& text, std::string target, QWidget* parent);

  signals:
    void Activated();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::string target_;
};

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* mainWindow);

    LinkLabel* HomepageLink() const { return homepageLink_; }
    LinkLabel* MailLink() const { return mailLink_; }
    QPushButton* OkButton() const { return okButton_; }

  private:
    LinkLabel* homepageLink_ = nullptr;
    LinkLabel* mailLink_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace millconv::ui
