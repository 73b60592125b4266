// The window's Convert action: checks, the progress dialog and the run.
#pragma once

#include "ui/window_controls.h"

#include <QString>

#include <string>

class QComboBox;

namespace millconv::ui {

// Command 14: checks the inputs in order (status texts and warnings), prepares the output
// parameters, records the output folder and runs the modal progress dialog until it closes.
void StartWindowConversion(const WindowControls& controls);

// The output extension of the format box's selected item (the first format without one).
std::string SelectedOutputExtension(const QComboBox* formatBox);

// Why the resize settings cannot give a picture (the warning Convert shows); empty when they can.
QString ResizeProblem();

// Why the watermark settings cannot give a picture; empty when they can. A text watermark's font
// is loaded for the coming run (kept until FreeWatermarkFont): always with loadFont, else only
// when none is loaded.
QString WatermarkProblem(bool loadFont);

// A modal warning over the window with the catalogue's "Warning" title.
void ShowWarning(QWidget* parent, const QString& text);

} // namespace millconv::ui
