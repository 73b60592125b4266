// The main window: input field, output folder and format boxes, Convert button, menus, toolbars.
#pragma once

#include "ui/commands.h"
#include "ui/window_controls.h"

#include <QMainWindow>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QToolBar;
class QToolButton;

namespace millconv::ui {

// Minimum size in design pixels (it grows with the dialog font); the height is fixed at it.
inline constexpr int kMinimumWidth = 510;
inline constexpr int kFixedHeight = 260;

class MainWindow : public QMainWindow, public CommandTarget {
    Q_OBJECT

  public:
    // Builds the hidden window at the stored placement with its menus, toolbars and gadgets.
    explicit MainWindow(QWidget* parent = nullptr);

    // Fills the output format box, runs New form and shows the window (maximised when it was).
    void InitialiseAndShow();

    QWidget* Widget() override { return this; }

    // The controls the selection and conversion code work on.
    WindowControls Controls() override;

    // Command 0: empty form, fresh job, status "Ready", focus on the input field.
    void NewForm() override;

    // Places the width-dependent gadgets for the current size; runs on every resize.
    void ApplyLayout();

    // Sets the Convert button's image again and the icons of the two boxes' items.
    void RefreshImages();

    // Carries out a theme refresh request (1 everything, 2 the main toolbar only, 0 nothing),
    // reloading the theme's pictures, and lays the window out again.
    void ApplyThemeRefreshRequest(int request);

    // After the preferences dialog: theme refresh, output format selection, folder box size.
    void ApplyPreferences(int themeRefresh);

    void OpenPreferences(int startPage) override;

    // Status bar field 0.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Selects the output format box item of [Output] Format (none when it is not listed).
    void SelectOutputFormat();

    // The first local file a drop carries; empty when it carries none.
    static QString FirstDroppedFile(const QMimeData& data);

    // A dropped file, or the one the program was opened with: the input file check, as for
    // every drop. True when it became the input.
    bool AcceptDroppedFile(const QString& path);

    // For tests and the screenshot mode.
    QWidget* Panel() const { return panel_; }
    QToolBar* MainToolBar() const { return mainToolBar_; }
    QToolBar* CommandToolBar(int index) const { return commandToolBars_.at(index); }
    QToolButton* ConvertButton() const { return convertButton_; }
    QLabel* Footer() const { return footer_; }

  signals:
    // A drop handed this path to the input file check.
    void InputFileDropped(const QString& path);

    // The preferences dialog closed with a changed record, now applied to the window.
    void SettingsApplied();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildGadgets();
    void BuildToolBars(bool menus, bool mainToolBar, bool commandToolBars);
    void FillOutputFormatBox();
    void SetTabOrder();

    QToolBar* mainToolBar_ = nullptr;
    QWidget* panel_ = nullptr;
    QLineEdit* inputField_ = nullptr;
    QComboBox* outputFolderBox_ = nullptr;
    QComboBox* outputFormatBox_ = nullptr;
    std::array<QToolBar*, 3> commandToolBars_{};
    QToolButton* convertButton_ = nullptr;
    QLabel* footer_ = nullptr;
};

} // namespace millconv::ui
