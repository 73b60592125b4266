// The pages Transform, Adjustment, Frame, Watermark and Advanced, with their pickers.
#include "ui/preferences/pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

#include <algorithm>
#include <functional>
#include <vector>

#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "ui/preferences/row_controls.h"
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

constexpr QRect kAreaPlace(0, 40, 450, 215);
constexpr int kColorIconSize = 16;
constexpr int kStyleStep = 256; // font style values: 0 regular, 256 bold, 512 italic

// Enables the rows while the box is ticked: when the dialog is filled and on every change.
void EnableWhileTicked(SettingBinder& binder, const Row& box, std::vector<Row> rows) {
    auto* check = static_cast<QCheckBox*>(box.control);
    auto rule = [check, rows] {
        for (const Row& row : rows) {
            row.SetEnabled(check->isChecked());
        }
    };
    QObject::connect(check, &QCheckBox::toggled, check, rule);
    binder.AddRule(rule);
}

// Runs the rule with the list's item when the dialog is filled and on every change.
void FollowList(SettingBinder& binder, const Row& list, std::function<void(int)> rule) {
    auto* combo = static_cast<QComboBox*>(list.control);
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, rule);
    binder.AddRule([combo, rule] { rule(combo->currentIndex()); });
}

QStringList SplitList(const std::string& list) {
    QStringList entries;
    for (const QString& entry : QString::fromStdString(list).split(QLatin1Char(','))) {
        if (!entry.trimmed().isEmpty()) {
            entries << entry.trimmed();
        }
    }
    return entries;
}

void AddColorItem(QComboBox* list, const QColor& color) {
    list->addItem(QIcon(ColorBlock(color, kColorIconSize, kColorIconSize)),
                  ColorName(ColorText(color)), color);
}

int FindColorItem(const QComboBox* list, const QColor& color) {
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemData(i).value<QColor>().rgb() == color.rgb()) {
            return i;
        }
    }
    return -1;
}

// A colour list of the watermark: the colours of listKey offered, the one of key chosen.
void BindColorList(SettingBinder& binder, const Row& row, std::string_view key,
                   std::string_view listKey) {
    auto* list = static_cast<QComboBox*>(row.control);
    binder.Bind(
        [&binder, list, key, listKey] {
            list->clear();
            for (const QString& entry : SplitList(binder.String("Watermark", listKey))) {
                AddColorItem(list, ReadColorText(entry));
            }
            const QColor current =
                ReadColorText(QString::fromStdString(binder.String("Watermark", key)));
            int found = FindColorItem(list, current);
            if (found < 0) {
                // Keep a colour the list does not offer, so OK does not silently change it.
                AddColorItem(list, current);
                found = list->count() - 1;
            }
            list->setCurrentIndex(found);
        },
        [&binder, list, key] {
            if (list->currentIndex() >= 0) {
                binder.String("Watermark", key) =
                    ColorText(list->currentData().value<QColor>()).toStdString();
            }
        });
    auto* button = static_cast<QPushButton*>(row.extra);
    QObject::connect(button, &QPushButton::clicked, list, [&binder, list, listKey] {
        const QColor current = list->currentData().value<QColor>();
        const auto chosen = CurrentPrompter().PickColor(list->window(), current);
        if (!chosen) {
            return;
        }
        int found = FindColorItem(list, *chosen);
        const bool listed = SplitList(binder.String("Watermark", listKey))
                                .contains(ColorText(*chosen), Qt::CaseInsensitive);
        if (!listed) {
            binder.AppendAtOnce("Watermark", listKey, ColorText(*chosen).toStdString());
        }
        if (found < 0) {
            AddColorItem(list, *chosen);
            found = list->count() - 1;
        }
        list->setCurrentIndex(found);
    });
}

// The family of the installed font the font system gives for a font.
QString InstalledFamily(const QFont& font) { return QFontInfo(font).family(); }

void BindFontList(SettingBinder& binder, const Row& fontRow, const Row& sizeRow,
                  const Row& styleRow) {
    auto* list = static_cast<QComboBox*>(fontRow.control);
    binder.Bind(
        [&binder, list] {
            std::string& fonts = binder.String("Watermark", "Fonts");
            const std::string& font = binder.String("Watermark", "Font");
            if (fonts.empty()) {
                fonts = font;
            }
            list->clear();
            list->addItems(SplitList(fonts));
            const QString current = QString::fromStdString(font);
            // Keep a font the list does not offer, so OK does not silently change it.
            if (!current.isEmpty() && list->findText(current) < 0) {
                list->addItem(current);
            }
            list->setCurrentIndex(std::max(list->findText(current), 0));
        },
        [&binder, list] {
            if (list->currentIndex() >= 0) {
                binder.String("Watermark", "Font") = list->currentText().toStdString();
            }
        });
    auto* size = static_cast<QLineEdit*>(sizeRow.control);
    auto* style = static_cast<QComboBox*>(styleRow.control);
    auto* button = static_cast<QPushButton*>(fontRow.extra);
    QObject::connect(button, &QPushButton::clicked, list, [&binder, list, size, style] {
        // The picker shows and stores the installed family a name resolves to (Arial may be
        // Liberation Sans), never a name the conversion's font check would refuse.
        QFont initial(InstalledFamily(QFont(list->currentText())));
        initial.setPointSize(std::max(size->text().toInt(), 1));
        const auto chosen = CurrentPrompter().PickFont(list->window(), initial);
        if (!chosen) {
            return;
        }
        const QString name = InstalledFamily(*chosen);
        if (!SplitList(binder.String("Watermark", "Fonts")).contains(name)) {
            binder.AppendAtOnce("Watermark", "Fonts", name.toStdString());
        }
        if (list->findText(name) < 0) {
            list->addItem(name);
        }
        list->setCurrentIndex(list->findText(name));
        if (chosen->pointSize() > 0) {
            size->setText(QString::number(chosen->pointSize()));
        }
        const int styleValue =
            (chosen->bold() ? kStyleStep : 0) + (chosen->italic() ? 2 * kStyleStep : 0);
        style->setCurrentIndex(styleValue / kStyleStep);
    });
}

// Qt's "Label (*.a *.b);;…" form of a "Label|*.a;*.b|…" filter.
QString QtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].isEmpty()) {
            QString patterns = parts[i + 1];
            patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
            entries << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
    }
    return entries.join(QStringLiteral(";;"));
}

QStringList Positions() {
    QStringList items;
    for (const char* key : {"Top-Left", "Top-Center", "Top-Right", "Middle-Left", "Middle-Center",
                            "Middle-Right", "Bottom-Left", "Bottom-Center", "Bottom-Right"}) {
        items << PrefText(key);
    }
    return items;
}

} // namespace

TransformPage::TransformPage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kTransformPage) {
    QScrollArea* area =
        AddScrollArea(this, rect(), QSize(420, 375), QStringLiteral("Transform-rows"));
    RowBuilder rows(area->widget(), binder, "Transform");
    const Row rotation = rows.Check(0, "Image Rotation", "Do Image Rotation");
    const Row rotationRows[] = {
        rows.List(1, "Rotation Type", {"Simple Rotation", "Advanced Rotation"},
                  "Image Rotation Type"),
        rows.Slider(2, "Rotation Angle", "Image Rotation", 0, 360),
        rows.Swatch(3, "Background Color", "Image Rotation Back Color"),
    };
    const Row resize = rows.Check(4, "Image Resize", "Do Image Resize");
    const Row resizeRows[] = {
        rows.Number(5, "Image Width", "Image Width", {"Pixels", "Percent"}, "Image Width Unit"),
        rows.Number(6, "Image Height", "Image Height", {"Pixels", "Percent"},
                    "Image Height Unit"),
        rows.Check(7, "Keep Aspect Ratio", "Keep Aspect Ratio"),
        rows.List(8, "Resize Type", {"All Images", "Large Images"}, "Image Resize Type"),
        rows.List(9, "Resize Algorithm",
                  {"Box", "Bilinear", "Bspline", "Bicubic", "Catmullrom", "Lanczos"},
                  "Image Resize Algorithm"),
    };
    rows.Check(10, "Image Flip Horizontal", "Do Image Flip Horizontal");
    rows.Check(11, "Image Flip Vertical", "Do Image Flip Vertical");
    EnableWhileTicked(binder, rotation, {std::begin(rotationRows), std::end(rotationRows)});
    EnableWhileTicked(binder, resize, {std::begin(resizeRows), std::end(resizeRows)});
}

AdjustmentPage::AdjustmentPage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kAdjustmentPage) {
    RowBuilder rows(this, binder, "Adjustment");
    rows.Slider(0, "Image Brightness", "Image Brightness", -100, 100, 100);
    rows.Slider(1, "Image Contrast", "Image Contrast", -100, 100, 100);

    rows.Gamma(2, "Image Gamma", "Image Gamma");
    rows.Check(3, "Image Invert", "Image Invert");
    rows.Check(4, "Image Greyscale", "Do Image Greyscale");
    const Row threshold = rows.Check(5, "Image Threshold", "Do Image Threshold");
    const Row level = rows.Slider(6, "Threshold Level", "Image Threshold", 0, 255);
    EnableWhileTicked(binder, threshold, {level});
}

FramePage::FramePage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kFramePage) {
    RowBuilder top(this, binder, "Frame");
    const Row type = top.List(0, "Frame Type", {"None", "Frame Solid"}, "Do Frame");
    QScrollArea* area =
        AddScrollArea(this, kAreaPlace, QSize(420, 310), QStringLiteral("Frame-solid"));
    RowBuilder rows(area->widget(), binder, "Frame");
    rows.Number(0, "Left", "Solid Left", {"Pixels"});
    rows.Number(1, "Right", "Solid Right", {"Pixels"});
    rows.Number(2, "Top", "Solid Top", {"Pixels"});
    rows.Number(3, "Bottom", "Solid Bottom", {"Pixels"});
    rows.Swatch(4, "Left Color", "Solid Left Color");
    rows.Swatch(5, "Right Color", "Solid Right Color");
    rows.Swatch(6, "Top Color", "Solid Top Color");
    rows.Swatch(7, "Bottom Color", "Solid Bottom Color");
    rows.Slider(8, "Opacity", "Solid Opacity", 1, 255);
    FollowList(binder, type, [area](int item) { area->setVisible(item == 1); });
}

WatermarkPage::WatermarkPage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kWatermarkPage) {
    RowBuilder top(this, binder, "Watermark");
    const Row type = top.List(0, "Watermark Type", {"None", "Watermark Text", "Watermark Image"},
                              "Do Watermark");

    QScrollArea* textArea =
        AddScrollArea(this, kAreaPlace, QSize(420, 610), QStringLiteral("Watermark-text"));
    RowBuilder text(textArea->widget(), binder, "Watermark");
    text.Text(0, "Text", "Text");
    const Row font = text.PickerList(1, "Font");
    const Row fontSize = text.Number(2, "Font Size", "Font Size", {"Points"});
    text.Number(3, "Font Leading", "Font Leading", {"Pixels"});
    const Row fontColor = text.PickerList(4, "Font Color");
    const Row fontStyle =
        text.List(5, "Font Style", {"Regular", "Bold", "Italic", "Bold Italic"}, "Font Style");
    text.List(6, "Font Effect", {"None", "Underline", "Strikeout"}, "Font Effect");
    text.Check(7, "Antialiasing", "Text Antialiasing");
    text.List(8, "Text Alignment", {"Align Left", "Align Center", "Align Right"},
              "Text Alignment");
    text.Number(9, "Text Padding", "Text Padding", {"Pixels"});
    text.Slider(10, "Text Opacity", "Text Opacity", 1, 255);
    const Row backColor = text.PickerList(11, "Background Color");
    text.Slider(12, "Background Opacity", "Back Opacity", 1, 255);
    text.List(13, "Boundary", {"Bound Image", "Bound Frame"}, "Text Boundary");
    text.ListOf(14, "Position", Positions(), "Text Position");
    text.Number(15, "X-Offset", "Text X Offset", {"Pixels"});
    text.Number(16, "Y-Offset", "Text Y Offset", {"Pixels"});
    text.Slider(17, "Rotation Angle", "Text Rotation", 0, 360);
    const Row textSize = text.List(18, "Size", {"Fixed"}, "Text Size");
    const Row textScale = text.Slider(19, "Scale", "Text Scale", 1, 200);
    BindFontList(binder, font, fontSize, fontStyle);
    BindColorList(binder, fontColor, "Font Color", "Font Colors");
    BindColorList(binder, backColor, "Back Color", "Back Colors");

    QScrollArea* imageArea =
        AddScrollArea(this, kAreaPlace, QSize(420, 310), QStringLiteral("Watermark-image"));
    RowBuilder image(imageArea->widget(), binder, "Watermark");
    const Row file = image.PickerText(0, "Image", "Image");
    image.Check(1, "Image Greyscale", "Image Greyscale");
    image.Slider(2, "Opacity", "Image Opacity", 1, 255);
    image.List(3, "Boundary", {"Bound Image", "Bound Frame"}, "Image Boundary");
    image.ListOf(4, "Position", Positions(), "Image Position");
    image.Number(5, "X-Offset", "Image X Offset", {"Pixels"});
    image.Number(6, "Y-Offset", "Image Y Offset", {"Pixels"});
    image.Slider(7, "Rotation Angle", "Image Rotation", 0, 360);
    const Row imageSize = image.List(8, "Size", {"Fixed"}, "Image Size");
    const Row imageScale = image.Slider(9, "Scale", "Image Scale", 1, 200);

    auto* path = static_cast<QLineEdit*>(file.control);
    QObject::connect(static_cast<QPushButton*>(file.extra), &QPushButton::clicked, path, [path] {
        const QString chosen = CurrentPrompter().OpenFile(
            path->window(),
            QString::fromStdString(CatalogueText("Dialog", "Select Watermark Image")),
            path->text().trimmed(), QtFilter(WatermarkImageFilter()));
        if (!chosen.isEmpty()) {
            path->setText(chosen);
        }
    });

    FollowList(binder, type, [textArea, imageArea](int item) {
        textArea->setVisible(item == 1);
        imageArea->setVisible(item == 2);
    });
    FollowList(binder, textSize, [textScale](int item) { textScale.SetVisible(item == 1); });
    FollowList(binder, imageSize, [imageScale](int item) { imageScale.SetVisible(item == 1); });
}

AdvancedPage::AdvancedPage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kAdvancedPage) {
    RowBuilder rows(this, binder, "Advanced");
    rows.Text(0, "Filename Mask", "Filename Mask");
    const Row timestamp =
        rows.List(1, "File Timestamp", {"Current", "Original", "Custom"}, "File Timestamp");
    const Row custom = rows.DateTime(2, "Custom Timestamp", "Custom Timestamp");
    rows.List(3, "Out Folders History", {"Clean On Exit", "Keep Folders"}, "Out Folders History");
    rows.Slider(4, "Out Folders Number", "Out Folders Number", 1, 50);
    // Not offered in this version; the row exists so OK writes the value back as it was.
    rows.Check(5, "Keep Subfolders", "Keep Subfolders").SetVisible(false);
    FollowList(binder, timestamp, [custom](int item) { custom.SetEnabled(item == 2); });
}

} // namespace millconv::ui
