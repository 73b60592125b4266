// Window test support for the selection, conversion and progress tests: a stand-in main
// window, real PNG files and a driver for the modal progress dialog.
#pragma once

#include "engine/conversion_run.h"
#include "engine/draw_module.h"
#include "engine/output_parameters.h"
#include "job/job_record.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"
#include "ui/progress_dialog.h"
#include "ui/window_controls.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>

namespace millconv::ui::test {

// The drawing module from the build tree, for runs that frame or watermark.
inline void UseBuildTreeDrawModule() { SetDrawModulePath(MILLCONV_BINARY_DIR "millconv-draw.so"); }

// The controls the selection and conversion code use, in a plain form of their own.
class StandInForm {
  public:
    StandInForm() {
        window_.resize(510, 260);
        inputField_ = new QLineEdit(&window_);
        folderBox_ = new QComboBox(&window_);
        formatBox_ = new QComboBox(&window_);
        formatBox_->addItem(QStringLiteral("TGA - Truevision Targa"), 0);
        statusBar_ = new QStatusBar(&window_);
        window_.show();
    }

    WindowControls Controls() {
        return {&window_, inputField_, folderBox_, formatBox_, statusBar_};
    }
    QWidget& Window() { return window_; }
    QLineEdit& InputField() { return *inputField_; }
    QComboBox& FolderBox() { return *folderBox_; }
    QString Status() const { return statusBar_->currentMessage(); }

    QStringList FolderItems() const {
        QStringList items;
        for (int i = 0; i < folderBox_->count(); ++i) {
            items << folderBox_->itemText(i);
        }
        return items;
    }

    // Puts one folder into the box as its selected item, as a user pick would.
    void SelectFolderItem(const QString& folder) {
        folderBox_->clear();
        folderBox_->addItem(folder);
        folderBox_->setCurrentIndex(0);
    }

  private:
    QWidget window_;
    QLineEdit* inputField_ = nullptr;
    QComboBox* folderBox_ = nullptr;
    QComboBox* formatBox_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
};

inline QString Catalogue(const char* section, const char* key) {
    return QString::fromStdString(CatalogueText(section, key));
}

inline QString Formatted(const char* key, const QString& s1, const QString& s2 = {}) {
    return QString::fromStdString(
        FormatMessage(CatalogueText("Msg", key), s1.toStdString(), s2.toStdString()));
}

// A PNG whose pixels differ in all three channels; noise makes decoding take real time.
inline bool WritePng(const QString& path, int width, int height, bool noise = false) {
    QImage image(width, height, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = noise ? qRgb(int(seed >> 24), int(seed >> 16) & 255, int(seed >> 8) & 255)
                            : qRgb(200, 120, 40);
        }
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "PNG");
}

// A TGA job into that folder, ready for a run of the input set.
inline void PrepareTgaJob(const QString& outputFolder) {
    gJob.outputFolder = outputFolder.toStdString();
    gJob.conversion = "tga";
    PrepareOutputParameters();
}

// The job's run in the progress dialog, as the Convert action starts it; a paused run holds
// before its first file until the dialog's run is resumed.
inline void RunJobInDialog(StandInForm& form, bool paused = false) {
    RunRequest request = JobRunRequest();
    request.startPaused = paused;
    RunProgressDialog(form.Controls(), std::move(request));
}

// What the progress dialog showed.
struct DialogOutcome {
    bool opened = false;
    bool ended = false; // OK became enabled
    bool windowEnabledInRun = true;
    QString title; // at the end
    QString text;
    int value = -1;
    int maximum = -1;
    ProgressSnapshot progress; // the dialog's run at the end
};

// Runs body() (which opens the progress dialog and returns once it closed). While the dialog
// is open, onOpen(dialog) runs first; then the driver waits until OK is enabled, records the
// end state and presses OK. A run that never ends is stopped so the test cannot hang.
inline DialogOutcome DriveProgressDialog(QWidget& window, const std::function<void()>& body,
                                         const std::function<void(ProgressDialog&)>& onOpen = {}) {
    DialogOutcome outcome;
    QTimer::singleShot(0, &window, [&] {
        QPointer<ProgressDialog> dialog = window.findChild<ProgressDialog*>();
        if (dialog == nullptr) {
            return;
        }
        outcome.opened = true;
        outcome.windowEnabledInRun = window.isEnabled();
        if (onOpen) {
            onOpen(*dialog);
        }
        const auto okEnabled = [&] { return !dialog || dialog->OkButton()->isEnabled(); };
        outcome.ended = QTest::qWaitFor(okEnabled, 30000) && dialog;
        if (!outcome.ended && dialog) {
            dialog->Run().Resume();
            dialog->Run().Stop();
            static_cast<void>(QTest::qWaitFor(okEnabled, 30000));
        }
        if (dialog) {
            outcome.title = dialog->windowTitle();
            outcome.text = dialog->TextLine()->text();
            outcome.value = dialog->Bar()->value();
            outcome.maximum = dialog->Bar()->maximum();
            outcome.progress = dialog->Run().ReadProgress();
            dialog->OkButton()->click();
        }
    });
    body();
    return outcome;
}

} // namespace millconv::ui::test
