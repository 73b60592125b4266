// The window's Convert action: checks, the progress dialog and the run.
#include "ui/conversion_controller.h"

#include "engine/output_parameters.h"
#include "engine/watermark.h"
#include "job/job_record.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"
#include "ui/catalogue_text.h"
#include "ui/progress_dialog.h"
#include "ui/prompter.h"
#include "ui/selection.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QStatusBar>

#include <string>

namespace millconv::ui {

namespace {

QString MsgText(const char* key) { return UiText("Msg", key); }

QString MsgText(const char* key, const std::string& value) { return UiText("Msg", key, value); }

// The watermark font lives from its check until the run has ended, whichever way the
// action ends.
struct WatermarkFontRelease {
    WatermarkFontRelease() = default;
    WatermarkFontRelease(const WatermarkFontRelease&) = delete;
    WatermarkFontRelease& operator=(const WatermarkFontRelease&) = delete;
    ~WatermarkFontRelease() {
        if (WatermarkFontLoaded()) {
            FreeWatermarkFont();
        }
    }
};

// The input field's file becomes the only entry of the input set when it passes the engine's
// acceptance; otherwise the set stays empty. A path typed by hand is honoured this way too.
void FillInputSet(const QString& path) {
    ClearInputSet();
    if (AddInputFile(path.toStdString())) {
        // The window has no base folder: the file is written straight into the output folder.
        for (auto& [key, entry] : InputSet()) {
            entry.relativeSubfolder.clear();
        }
    }
}

// A failed check of the inputs: the status says the run stopped, the warning says why.
void Refuse(const WindowControls& controls, const QString& warning) {
    ShowStatusText(controls, MsgText("Conversion is not complete"));
    ShowWarning(controls.window, warning);
}

// Checks 4 to 8, in their order; false after the first that fails.
bool CheckInputsAndFolder(const WindowControls& controls, std::string& folder) {
    if (InputSet().empty()) {
        Refuse(controls, MsgText("Empty input files"));
        return false;
    }
    if (folder.empty()) {
        Refuse(controls, MsgText("Empty output folder"));
        return false;
    }
    // A relative folder lies below the current folder, as for the console; one that climbs
    // out with ".." is refused there and here.
    const bool climbsOut = folder.starts_with("..");
    if (!climbsOut) {
        folder = AbsoluteFolder(folder);
    } else if (!folder.ends_with('/')) {
        folder += '/';
    }
    if (climbsOut || !FolderExists(folder)) {
        Refuse(controls, MsgText("Invalid output folder", folder));
        return false;
    }
    if (const QString problem = ResizeProblem(); !problem.isEmpty()) {
        Refuse(controls, problem);
        return false;
    }
    return true;
}

// Checks 9 and 10: the watermark's font loads (and stays loaded for the run), or its picture
// is one the loader reads. A failure leaves the status as every other failed check does.
bool CheckWatermark(const WindowControls& controls) {
    const QString problem = WatermarkProblem(true);
    if (!problem.isEmpty()) {
        Refuse(controls, problem);
        return false;
    }
    return true;
}

} // namespace

std::string SelectedOutputExtension(const QComboBox* formatBox) {
    const std::vector<std::string>& formats = OutputFormatList();
    const int index = formatBox != nullptr ? formatBox->currentData().toInt() : 0;
    if (index < 0 || static_cast<size_t>(index) >= formats.size()) {
        return formats.empty() ? std::string() : formats.front();
    }
    return formats[static_cast<size_t>(index)];
}

QString ResizeProblem() {
    const Settings::Transform& transform = gSettings.transform;
    if (transform.doImageResize != 0 && transform.imageWidth == 0) {
        return MsgText("Invalid width");
    }
    if (transform.doImageResize != 0 && transform.imageHeight == 0) {
        return MsgText("Invalid height");
    }
    return {};
}

QString WatermarkProblem(bool loadFont) {
    const Settings::Watermark& watermark = gSettings.watermark;
    if (watermark.doWatermark == 1 && (loadFont || !WatermarkFontLoaded()) &&
        !LoadWatermarkFont(watermark)) {
        return MsgText("Invalid watermark font", watermark.font);
    }
    if (watermark.doWatermark == 2) {
        const WatermarkImageCheck check = CheckWatermarkImage(watermark.image);
        if (check == WatermarkImageCheck::EmptyPath) {
            return MsgText("Empty watermark image");
        }
        if (check == WatermarkImageCheck::Unusable) {
            return MsgText("Invalid watermark image", watermark.image);
        }
    }
    return {};
}

void StartWindowConversion(const WindowControls& controls) {
    const WatermarkFontRelease fontRelease;
    if (controls.inputField != nullptr) {
        // A typed file is taken as a drop would take it: with no output folder chosen yet,
        // its own folder becomes the output folder.
        const QFileInfo typed(controls.inputField->text().trimmed());
        if (typed.isFile()) {
            AcceptInputFile(controls, typed.absoluteFilePath());
        }
    }
    FillInputSet(controls.inputField != nullptr ? controls.inputField->text().trimmed()
                                                : QString());
    std::string folder = controls.outputFolderBox != nullptr
                             ? controls.outputFolderBox->currentText().trimmed().toStdString()
                             : std::string();
    const std::string extension = SelectedOutputExtension(controls.outputFormatBox);

    ShowStatusText(controls, UiText("General", "Preparing"));
    if (!CheckInputsAndFolder(controls, folder) || !CheckWatermark(controls)) {
        return;
    }

    // The run is made from what the form holds; the job record keeps it for the next run
    // and the folder box.
    RunRequest request = JobRunRequest();
    request.snapshot.outputFolder = folder;
    request.snapshot.output.conversion = extension;
    PrepareOutputParameters(request.snapshot.output, gSettings.output);
    StoreRunOutput(request.snapshot);
    RememberOutputFolder(QString::fromStdString(folder));
    RefillOutputFolderBox(controls);

    ShowStatusText(controls, UiText("General", "Converting"));
    if (const std::optional<RunOutcome> outcome = RunProgressDialog(controls, std::move(request))) {
        StoreFileContext(outcome->lastFile);
    }
}

void ShowWarning(QWidget* parent, const QString& text) {
    CurrentPrompter().Warning(parent, MsgText("Warning"), text);
}

} // namespace millconv::ui
