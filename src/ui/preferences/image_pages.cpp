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
#include "ui/catalogue_text.h"
#include "ui/preferences/row_controls.h"
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

constexpr QRect kAreaPlace(0, 40, 450, 215);
constexpr int kColorIconSize = 16;
constexpr int kStyleStep = 256; // font style values: 0 regular, 256 bold, 512 italic
constexpr SettingKey kFontSetting = SettingRef("Watermark", "Font");
constexpr SettingKey kFontsSetting = SettingRef("Watermark", "Fonts");

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
void BindColorList(SettingBinder& binder, const Row& row, SettingKey setting,
                   SettingKey listSetting) {
    auto* list = static_cast<QComboBox*>(row.control);
    binder.Bind(
        [&binder, list, setting, listSetting] {
            list->clear();
            for (const QString& entry : SplitList(binder.String(listSetting))) {
                AddColorItem(list, ReadColorText(entry));
            }
            const QColor current = ReadColorText(QString::fromStdString(binder.String(setting)));
            int found = FindColorItem(list, current);
            if (found < 0) {
                // Keep a colour the list does not offer, so OK does not silently change it.
                AddColorItem(list, current);
                found = list->count() - 1;
            }
            list->setCurrentIndex(found);
        },
        [&binder, list, setting] {
            if (list->currentIndex() >= 0) {
                binder.String(setting) =
                    ColorText(list->currentData().value<QColor>()).toStdString();
            }
        });
    auto* button = static_cast<QPushButton*>(row.extra);
    QObject::connect(button, &QPushButton::clicked, list, [&binder, list, listSetting] {
        const QColor current = list->currentData().value<QColor>();
        const auto chosen = CurrentPrompter().PickColor(list->window(), current);
        if (!chosen) {
            return;
        }
        int found = FindColorItem(list, *chosen);
        const bool listed =
            SplitList(binder.String(listSetting)).contains(ColorText(*chosen), Qt::CaseInsensitive);
        if (!listed) {
            binder.AppendAtOnce(listSetting, ColorText(*chosen).toStdString());
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
            std::string& fonts = binder.String(kFontsSetting);
            const std::string& font = binder.String(kFontSetting);
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
                binder.String(kFontSetting) = list->currentText().toStdString();
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
        if (!SplitList(binder.String(kFontsSetting)).contains(name)) {
            binder.AppendAtOnce(kFontsSetting, name.toStdString());
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
    QScrollArea* area = AddScrollArea(this, QRect(QPoint(0, 0), kPageSize), QSize(420, 375),
                                      QStringLiteral("Transform-rows"));
    RowBuilder rows(area->widget(), binder);
    const Row rotation =
        rows.Check(0, "Image Rotation", SettingRef("Transform", "Do Image Rotation"));
    const Row rotationRows[] = {
        rows.List(1, "Rotation Type", {"Simple Rotation", "Advanced Rotation"},
                  SettingRef("Transform", "Image Rotation Type")),
        rows.Slider(2, "Rotation Angle", SettingRef("Transform", "Image Rotation"), 0, 360),
        rows.Swatch(3, "Background Color", SettingRef("Transform", "Image Rotation Back Color")),
    };
    const Row resize = rows.Check(4, "Image Resize", SettingRef("Transform", "Do Image Resize"));
    const Row resizeRows[] = {
        rows.Number(5, "Image Width", SettingRef("Transform", "Image Width"), {"Pixels", "Percent"},
                    SettingRef("Transform", "Image Width Unit")),
        rows.Number(6, "Image Height", SettingRef("Transform", "Image Height"),
                    {"Pixels", "Percent"}, SettingRef("Transform", "Image Height Unit")),
        rows.Check(7, "Keep Aspect Ratio", SettingRef("Transform", "Keep Aspect Ratio")),
        rows.List(8, "Resize Type", {"All Images", "Large Images"},
                  SettingRef("Transform", "Image Resize Type")),
        rows.List(9, "Resize Algorithm",
                  {"Box", "Bilinear", "Bspline", "Bicubic", "Catmullrom", "Lanczos"},
                  SettingRef("Transform", "Image Resize Algorithm")),
    };
    rows.Check(10, "Image Flip Horizontal", SettingRef("Transform", "Do Image Flip Horizontal"));
    rows.Check(11, "Image Flip Vertical", SettingRef("Transform", "Do Image Flip Vertical"));
    EnableWhileTicked(binder, rotation, {std::begin(rotationRows), std::end(rotationRows)});
    EnableWhileTicked(binder, resize, {std::begin(resizeRows), std::end(resizeRows)});
}

AdjustmentPage::AdjustmentPage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kAdjustmentPage) {
    RowBuilder rows(this, binder);
    rows.Slider(0, "Image Brightness", SettingRef("Adjustment", "Image Brightness"), -100, 100,
                100);
    rows.Slider(1, "Image Contrast", SettingRef("Adjustment", "Image Contrast"), -100, 100, 100);

    rows.Gamma(2, "Image Gamma", SettingRef("Adjustment", "Image Gamma"));
    rows.Check(3, "Image Invert", SettingRef("Adjustment", "Image Invert"));
    rows.Check(4, "Image Greyscale", SettingRef("Adjustment", "Do Image Greyscale"));
    const Row threshold =
        rows.Check(5, "Image Threshold", SettingRef("Adjustment", "Do Image Threshold"));
    const Row level =
        rows.Slider(6, "Threshold Level", SettingRef("Adjustment", "Image Threshold"), 0, 255);
    EnableWhileTicked(binder, threshold, {level});
}

FramePage::FramePage(QWidget* parent, SettingBinder& binder) : PreferencesPage(parent, kFramePage) {
    RowBuilder top(this, binder);
    const Row type =
        top.List(0, "Frame Type", {"None", "Frame Solid"}, SettingRef("Frame", "Do Frame"));
    QScrollArea* area =
        AddScrollArea(this, kAreaPlace, QSize(420, 310), QStringLiteral("Frame-solid"));
    RowBuilder rows(area->widget(), binder);
    rows.Number(0, "Left", SettingRef("Frame", "Solid Left"), {"Pixels"});
    rows.Number(1, "Right", SettingRef("Frame", "Solid Right"), {"Pixels"});
    rows.Number(2, "Top", SettingRef("Frame", "Solid Top"), {"Pixels"});
    rows.Number(3, "Bottom", SettingRef("Frame", "Solid Bottom"), {"Pixels"});
    rows.Swatch(4, "Left Color", SettingRef("Frame", "Solid Left Color"));
    rows.Swatch(5, "Right Color", SettingRef("Frame", "Solid Right Color"));
    rows.Swatch(6, "Top Color", SettingRef("Frame", "Solid Top Color"));
    rows.Swatch(7, "Bottom Color", SettingRef("Frame", "Solid Bottom Color"));
    rows.Slider(8, "Opacity", SettingRef("Frame", "Solid Opacity"), 1, 255);
    FollowList(binder, type, [area](int item) { area->setVisible(item == 1); });
}

WatermarkPage::WatermarkPage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kWatermarkPage) {
    RowBuilder top(this, binder);
    const Row type = top.List(0, "Watermark Type", {"None", "Watermark Text", "Watermark Image"},
                              SettingRef("Watermark", "Do Watermark"));

    QScrollArea* textArea =
        AddScrollArea(this, kAreaPlace, QSize(420, 610), QStringLiteral("Watermark-text"));
    RowBuilder text(textArea->widget(), binder);
    text.Text(0, "Text", SettingRef("Watermark", "Text"));
    const Row font = text.PickerList(1, "Font");
    const Row fontSize =
        text.Number(2, "Font Size", SettingRef("Watermark", "Font Size"), {"Points"});
    text.Number(3, "Font Leading", SettingRef("Watermark", "Font Leading"), {"Pixels"});
    const Row fontColor = text.PickerList(4, "Font Color");
    const Row fontStyle = text.List(5, "Font Style", {"Regular", "Bold", "Italic", "Bold Italic"},
                                    SettingRef("Watermark", "Font Style"));
    text.List(6, "Font Effect", {"None", "Underline", "Strikeout"},
              SettingRef("Watermark", "Font Effect"));
    text.Check(7, "Antialiasing", SettingRef("Watermark", "Text Antialiasing"));
    text.List(8, "Text Alignment", {"Align Left", "Align Center", "Align Right"},
              SettingRef("Watermark", "Text Alignment"));
    text.Number(9, "Text Padding", SettingRef("Watermark", "Text Padding"), {"Pixels"});
    text.Slider(10, "Text Opacity", SettingRef("Watermark", "Text Opacity"), 1, 255);
    const Row backColor = text.PickerList(11, "Background Color");
    text.Slider(12, "Background Opacity", SettingRef("Watermark", "Back Opacity"), 1, 255);
    text.List(13, "Boundary", {"Bound Image", "Bound Frame"},
              SettingRef("Watermark", "Text Boundary"));
    text.ListOf(14, "Position", Positions(), SettingRef("Watermark", "Text Position"));
    text.Number(15, "X-Offset", SettingRef("Watermark", "Text X Offset"), {"Pixels"});
    text.Number(16, "Y-Offset", SettingRef("Watermark", "Text Y Offset"), {"Pixels"});
    text.Slider(17, "Rotation Angle", SettingRef("Watermark", "Text Rotation"), 0, 360);
    const Row textSize = text.List(18, "Size", {"Fixed"}, SettingRef("Watermark", "Text Size"));
    const Row textScale = text.Slider(19, "Scale", SettingRef("Watermark", "Text Scale"), 1, 200);
    BindFontList(binder, font, fontSize, fontStyle);
    BindColorList(binder, fontColor, SettingRef("Watermark", "Font Color"),
                  SettingRef("Watermark", "Font Colors"));
    BindColorList(binder, backColor, SettingRef("Watermark", "Back Color"),
                  SettingRef("Watermark", "Back Colors"));

    QScrollArea* imageArea =
        AddScrollArea(this, kAreaPlace, QSize(420, 310), QStringLiteral("Watermark-image"));
    RowBuilder image(imageArea->widget(), binder);
    const Row file = image.PickerText(0, "Image", SettingRef("Watermark", "Image"));
    image.Check(1, "Image Greyscale", SettingRef("Watermark", "Image Greyscale"));
    image.Slider(2, "Opacity", SettingRef("Watermark", "Image Opacity"), 1, 255);
    image.List(3, "Boundary", {"Bound Image", "Bound Frame"},
               SettingRef("Watermark", "Image Boundary"));
    image.ListOf(4, "Position", Positions(), SettingRef("Watermark", "Image Position"));
    image.Number(5, "X-Offset", SettingRef("Watermark", "Image X Offset"), {"Pixels"});
    image.Number(6, "Y-Offset", SettingRef("Watermark", "Image Y Offset"), {"Pixels"});
    image.Slider(7, "Rotation Angle", SettingRef("Watermark", "Image Rotation"), 0, 360);
    const Row imageSize = image.List(8, "Size", {"Fixed"}, SettingRef("Watermark", "Image Size"));
    const Row imageScale = image.Slider(9, "Scale", SettingRef("Watermark", "Image Scale"), 1, 200);

    auto* path = static_cast<QLineEdit*>(file.control);
    QObject::connect(static_cast<QPushButton*>(file.extra), &QPushButton::clicked, path, [path] {
        const QString chosen =
            CurrentPrompter().OpenFile(path->window(), UiText("Dialog", "Select Watermark Image"),
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
    RowBuilder rows(this, binder);
    rows.Text(0, "Filename Mask", SettingRef("Advanced", "Filename Mask"));
    const Row timestamp = rows.List(1, "File Timestamp", {"Current", "Original", "Custom"},
                                    SettingRef("Advanced", "File Timestamp"));
    const Row custom =
        rows.DateTime(2, "Custom Timestamp", SettingRef("Advanced", "Custom Timestamp"));
    rows.List(3, "Out Folders History", {"Clean On Exit", "Keep Folders"},
              SettingRef("Advanced", "Out Folders History"));
    rows.Slider(4, "Out Folders Number", SettingRef("Advanced", "Out Folders Number"), 1, 50);
    // Not offered in this version; the row exists so OK writes the value back as it was.
    rows.Check(5, "Keep Subfolders", SettingRef("Advanced", "Keep Subfolders")).SetVisible(false);
    FollowList(binder, timestamp, [custom](int item) { custom.SetEnabled(item == 2); });
}

} // namespace millconv::ui
