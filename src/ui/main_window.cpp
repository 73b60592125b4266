// The main window: input field, output folder and format boxes, Convert button, menus, toolbars.
#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "base/product.h"
#include "job/job_record.h"
#include "resources/theme_archive.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"
#include "ui/catalogue_text.h"
#include "ui/form_metrics.h"
#include "ui/input_guards.h"
#include "ui/mnemonics.h"
#include "ui/preferences/preferences_dialog.h"
#include "ui/selection.h"
#include "ui/theme_images.h"
#include "ui/window_placement.h"

namespace millconv::ui {

namespace {

// Where the gadgets stand, in design pixels; the second and third rows hang off one row offset.
// The layout stretches the fields and moves the right-hand gadgets with the window's width.
constexpr int kRowOffset = 30;
constexpr int kLeft = 10;
constexpr int kFieldWidth = 350;
constexpr QRect kInputFieldPlace(kLeft, 20, kFieldWidth, kFieldHeight);
constexpr QRect kFolderBoxPlace(kLeft, kRowOffset + 30, kFieldWidth, kListHeight);
constexpr QRect kFormatBoxPlace(kLeft, kRowOffset + 70, kFieldWidth, kListHeight);
constexpr int kInputLabelTop = 5;
constexpr int kFolderLabelTop = kRowOffset + 15;
constexpr int kFormatLabelTop = kRowOffset + 55;
constexpr int kSmallToolBarSize = 24;
constexpr int kConvertSize = 100;
constexpr int kConvertTop = 20;
constexpr QRect kConvertPlace(400, kConvertTop, kConvertSize, kConvertSize);
constexpr int kToolBarTops[] = {19, kRowOffset + 29, kRowOffset + 69};
constexpr int kSmallToolBarLeft = kFieldWidth + 14;
constexpr int kThirdToolBarLeft = 396; // beside the format box's options until the first layout
// What stays of the width beside the field and boxes, and the right-hand gadgets' offsets.
constexpr int kFieldMargin = 160;
constexpr int kSmallToolBarFromRight = 146;
constexpr int kConvertFromRight = 110;
// The panel leaves this much above the status bar for the footer line.
constexpr int kPanelBottomMargin = 40;
constexpr int kFooterFromBottom = 70;

// The footer's fixed notice (no catalogue text exists for it).
constexpr const char* kFooterNotice = "Tip: drop a PNG image here to choose the input file.";

QLabel* AddLabel(QWidget* parent, const char* key, int top, QWidget* buddy) {
    auto* label = new QLabel(UiText("General", key), parent);
    // Static texts of the form draw from their top edge; the field below starts 15 lower.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(label, QRect(kLeft, top, kFieldWidth, kLabelHeight));
    label->setBuddy(buddy);
    return label;
}

bool IsEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QString::fromStdString(AppTitle()));
    setWindowIcon(QIcon(ApplicationImage()));
    const QSize minimum = Scaled(QSize(kMinimumWidth, kFixedHeight));
    setMinimumSize(minimum);
    setMaximumHeight(minimum.height());
    // Placement as stored (position of the frame, size of the window), brought back onto the
    // screen when it was saved on a larger or another screen.
    resize(gSettings.window.width, gSettings.window.height);
    move(OnScreenPosition(QRect(QPoint(gSettings.window.x, gSettings.window.y), size()),
                          AvailableScreenAreas()));
    setAcceptDrops(true);
    InstallWheelGuard();

    BuildToolBars(true, true, false);
    setStatusBar(new QStatusBar(this));
    SetStatusText({});
    BuildGadgets();
    BuildToolBars(false, false, true);
    AddMnemonics(panel_, WindowMnemonics(*menuBar()));
}

void MainWindow::BuildGadgets() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    panel_ = new QWidget(central);
    panel_->setObjectName("panel");

    inputField_ = new QLineEdit(panel_);
    Place(inputField_, kInputFieldPlace);
    // A drop on the field is a drop on the window, not text to insert.
    inputField_->setAcceptDrops(false);
    AddLabel(panel_, "Input File", kInputLabelTop, inputField_);

    outputFolderBox_ = new QComboBox(panel_);
    outputFolderBox_->setEditable(false);
    Place(outputFolderBox_, kFolderBoxPlace);
    AddLabel(panel_, "Output Folder", kFolderLabelTop, outputFolderBox_);
    connect(outputFolderBox_, &QComboBox::currentIndexChanged, this,
            [this] { gJob.outputFolder = outputFolderBox_->currentText().toStdString(); });

    outputFormatBox_ = new QComboBox(panel_);
    outputFormatBox_->setEditable(false);
    Place(outputFormatBox_, kFormatBoxPlace);
    AddLabel(panel_, "Output Format", kFormatLabelTop, outputFormatBox_);
    connect(outputFormatBox_, &QComboBox::currentIndexChanged, this, [this](int item) {
        const auto& formats = OutputFormatList();
        const int index = item < 0 ? -1 : outputFormatBox_->itemData(item).toInt();
        if (index >= 0 && index < static_cast<int>(formats.size())) {
            gSettings.output.format = formats[index];
        }
    });

    convertButton_ = new QToolButton(panel_);
    Place(convertButton_, kConvertPlace);
    convertButton_->setText(UiText("General", "Convert"));
    convertButton_->setToolTip(convertButton_->text());
    convertButton_->setAccessibleName(convertButton_->text());
    connect(convertButton_, &QToolButton::clicked, this,
            [this] { RunCommand(*this, kCommandConvert); });
    // Enter presses Convert when it has the focus, as Space does.
    convertButton_->installEventFilter(this);

    // A child of the window rather than of the central area, so toolbars that grow or shrink
    // leave it where it is.
    footer_ = new QLabel(QString::fromUtf8(kFooterNotice), this);
    footer_->setGeometry(ScaledX(kLeft), height() - ScaledY(kFooterFromBottom),
                         ScaledX(kFieldWidth), ScaledY(kLabelHeight));

    RefreshImages();
}

void MainWindow::BuildToolBars(bool menus, bool mainToolBar, bool commandToolBars) {
    if (menus) {
        setMenuBar(BuildMenuBar(*this)); // deletes the previous one
    }
    if (mainToolBar) {
        if (mainToolBar_ != nullptr) {
            removeToolBar(mainToolBar_);
            delete mainToolBar_;
        }
        mainToolBar_ = BuildMainToolBar(*this, IconPixelSize(gSettings.interface.uiSize));
        addToolBar(Qt::TopToolBarArea, mainToolBar_);
    }
    if (commandToolBars) {
        struct OneButton {
            int command;
            const char* tooltipKey;
        };
        constexpr OneButton kButtons[] = {
            {kCommandSelectInputFile, "Select Input File"},
            {kCommandSelectOutputFolder, "Select Output Folder"},
            {kCommandOutputFormatOptions, "Output Format Options"},
        };
        for (size_t i = 0; i < commandToolBars_.size(); ++i) {
            delete commandToolBars_[i];
            commandToolBars_[i] =
                BuildCommandToolBar(*this, panel_, kButtons[i].command, kButtons[i].tooltipKey);
            Place(commandToolBars_[i],
                  QRect(kSmallToolBarLeft, kToolBarTops[i], kSmallToolBarSize, kSmallToolBarSize));
            commandToolBars_[i]->show();
        }
        // The third starts beside the format box's options; the layout brings it in line.
        commandToolBars_[2]->move(Scaled(QPoint(kThirdToolBarLeft, kToolBarTops[2])));
        SetTabOrder();
    }
}

void MainWindow::SetTabOrder() {
    // Each small button follows the field or box it fills; Convert comes last.
    QWidget* order[] = {
        inputField_,      commandToolBars_[0]->widgetForAction(commandToolBars_[0]->actions()[0]),
        outputFolderBox_, commandToolBars_[1]->widgetForAction(commandToolBars_[1]->actions()[0]),
        outputFormatBox_, commandToolBars_[2]->widgetForAction(commandToolBars_[2]->actions()[0]),
        convertButton_};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

void MainWindow::InitialiseAndShow() {
    BuildInputCatalogue();
    BuildOutputCatalogue();
    if (gSettings.window.isMaximized == 1) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    FillOutputFormatBox();
    NewForm();
    show();
    ApplyLayout();
}

WindowControls MainWindow::Controls() {
    return {this, inputField_, outputFolderBox_, outputFormatBox_, statusBar()};
}

void MainWindow::FillOutputFormatBox() {
    const QSignalBlocker blocker(outputFormatBox_);
    outputFormatBox_->clear();
    const auto& formats = OutputFormatList();
    for (size_t i = 0; i < formats.size(); ++i) {
        if (formats[i].empty()) {
            continue;
        }
        const FormatEntry* entry = FindOutputFormat(formats[i]);
        const QString description =
            entry != nullptr ? QString::fromStdString(entry->description) : QString();
        outputFormatBox_->addItem(QIcon(MenuIcon("New")),
                                  QString::fromStdString(formats[i]).toUpper() + " (" +
                                      description + ")",
                                  static_cast<int>(i));
    }
    SelectOutputFormat();
}

void MainWindow::SelectOutputFormat() {
    const QSignalBlocker blocker(outputFormatBox_);
    const auto& formats = OutputFormatList();
    int selected = -1;
    for (int item = 0; item < outputFormatBox_->count(); ++item) {
        const int index = outputFormatBox_->itemData(item).toInt();
        if (index >= 0 && index < static_cast<int>(formats.size()) &&
            formats[index] == gSettings.output.format) {
            selected = item;
            break;
        }
    }
    outputFormatBox_->setCurrentIndex(selected);
}

void MainWindow::NewForm() {
    RefillOutputFolderBox(Controls());
    ResetJobState();
    inputField_->clear();
    outputFolderBox_->setCurrentIndex(-1);
    SetStatusText(UiText("General", "Ready"));
    inputField_->setFocus();
}

void MainWindow::ApplyLayout() {
    if (panel_ == nullptr || mainToolBar_ == nullptr) {
        return; // a resize while the window is still being built
    }
    const int width = this->width();
    const int panelHeight = height() - menuBar()->height() - mainToolBar_->height() -
                            statusBar()->height() - ScaledY(kPanelBottomMargin);
    panel_->setGeometry(0, 0, width, std::max(panelHeight, 0));
    for (QWidget* widget :
         {static_cast<QWidget*>(inputField_), static_cast<QWidget*>(outputFolderBox_),
          static_cast<QWidget*>(outputFormatBox_)}) {
        widget->resize(width - ScaledX(kFieldMargin), widget->height());
    }
    for (size_t i = 0; i < commandToolBars_.size(); ++i) {
        commandToolBars_[i]->move(width - ScaledX(kSmallToolBarFromRight),
                                  ScaledY(kToolBarTops[i]));
    }
    convertButton_->move(width - ScaledX(kConvertFromRight), ScaledY(kConvertTop));
    // The footer keeps its distance from the window's bottom edge.
    footer_->move(ScaledX(kLeft), height() - ScaledY(kFooterFromBottom));
    update();
}

void MainWindow::RefreshImages() {
    const QPixmap convert = ButtonImage("Convert");
    convertButton_->setIcon(QIcon(convert));
    if (convert.isNull()) {
        // Without artwork the button still says what it does.
        convertButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    } else {
        convertButton_->setToolButtonStyle(Qt::ToolButtonIconOnly);
        convertButton_->setIconSize(convert.size().boundedTo(convertButton_->size() - QSize(4, 4)));
    }
    const QIcon folder(MenuIcon("FavFolder"));
    for (int item = 0; item < outputFolderBox_->count(); ++item) {
        outputFolderBox_->setItemIcon(item, folder);
    }
    const QIcon format(MenuIcon("New"));
    for (int item = 0; item < outputFormatBox_->count(); ++item) {
        outputFormatBox_->setItemIcon(item, format);
    }
    setWindowIcon(QIcon(ApplicationImage()));
}

void MainWindow::ApplyThemeRefreshRequest(int request) {
    switch (request) {
    case 1:
        LoadTheme(true, true, true);
        BuildToolBars(true, true, true);
        RefreshImages();
        break;
    case 2:
        LoadTheme(false, false, true);
        BuildToolBars(false, true, false);
        break;
    default:
        break;
    }
    ApplyLayout();
}

void MainWindow::ApplyPreferences(int themeRefresh) {
    ApplyThemeRefreshRequest(themeRefresh);
    SelectOutputFormat();
    if (outputFolderBox_->count() != gSettings.advanced.outFoldersNumber) {
        RefillOutputFolderBox(Controls());
    }
}

void MainWindow::OpenPreferences(int startPage) {
    const FocusReturn focusReturn;
    const PreferencesResult result = RunPreferencesDialog(this, startPage);
    ApplyPreferences(result.themeRefresh);
    if (result.changed) {
        emit SettingsApplied();
    }
}

void MainWindow::SetStatusText(const QString& text) { statusBar()->showMessage(text); }

QString MainWindow::StatusText() const { return statusBar()->currentMessage(); }

QString MainWindow::FirstDroppedFile(const QMimeData& data) {
    if (!data.hasUrls() || data.urls().isEmpty()) {
        return {};
    }
    const QUrl first = data.urls().constFirst();
    return first.isLocalFile() ? first.toLocalFile() : QString();
}

bool MainWindow::AcceptDroppedFile(const QString& path) {
    emit InputFileDropped(path);
    return AcceptInputFile(Controls(), path);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == convertButton_ && IsEnterKey(event)) {
        convertButton_->click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event) {
    // Hovering menu items and buttons would otherwise wipe the status text.
    if (event->type() == QEvent::StatusTip) {
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyLayout();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    StoreWindowPlacement(windowState(), QRect(pos(), size()), gSettings);
    QMainWindow::closeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstDroppedFile(*event->mimeData()).isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = FirstDroppedFile(*event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Only the first file counts: the form holds one input.
    AcceptDroppedFile(path);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

} // namespace millconv::ui
