// The pages General, Interface, Input and Output, and what all pages share.
#include "ui/preferences/pages.h"

#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <string_view>
#include <vector>

#include "settings/format_catalogue.h"
#include "settings/output_formats.h"
#include "ui/form_metrics.h"
#include "ui/preferences/row_controls.h"
#include "ui/theme_images.h"

namespace millconv::ui {

namespace {

constexpr const char* kPageKeys[kPageCount] = {"General", "Interface", "Input",
                                               "Output",  "Transform", "Adjustment",
                                               "Frame",   "Watermark", "Advanced"};

// Page geometry in design pixels.
constexpr QRect kSubPanelPlace(0, 40, 450, 215);
constexpr int kScrollStep = 10;

ThemeListSource gThemeListSource = nullptr;

consteval SettingKey InputSetting(std::string_view key) { return SettingRef("Input", key); }

// How a format's list setting shows: its label and its items, catalogue keys separated by "|".
// Compression lists show their keywords, qualities are sliders and switches check boxes, so
// only the other lists need a line here.
struct ListLook {
    std::string_view setting;
    std::string_view label;
    std::string_view items;
};

constexpr ListLook kListLooks[] = {
    {"BMP Color Table", "Color Table", "Auto|Exact"},
    {"JPG Chroma", "Chroma Subsampling", "None|Low|Medium|High"},
    {"JPG Save As", "Save As", "Baseline Standard|Baseline Simple|Baseline Optimized|Progressive"},
    {"TGA Alpha", "Transparency", "Flatten onto white|Keep"},
    {"TGA Origin", "Origin", "Bottom-left|Top-left"},
    {"TIFF Color Model", "Color Model", "RGB|CMYK"},
};

constexpr bool EveryLookHasItsSetting() {
    for (const ListLook& look : kListLooks) {
        bool found = false;
        for (const OutputFormat& format : kOutputFormats) {
            for (const FormatOption& option : format.options) {
                found = found || option.key == look.setting;
            }
        }
        if (!found) {
            return false;
        }
    }
    return true;
}
static_assert(EveryLookHasItsSetting(), "a list look names no format setting");

std::string UpperAscii(std::string text) {
    std::ranges::transform(text, text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

// The table row of a format's own setting. The settings table is built from the same format
// rows, so every one of their keys has a row.
SettingKey OutputSetting(std::string_view key) {
    const SettingDef* def = FindSetting("Output", key);
    if (def == nullptr) {
        qFatal("No output setting %s", std::string(key).c_str());
    }
    return def;
}

QStringList PrefTexts(std::string_view items, char separator) {
    QStringList texts;
    for (const QString& item : QString::fromUtf8(items.data(), static_cast<qsizetype>(items.size()))
                                   .split(QLatin1Char(separator))) {
        texts << PrefText(item.toStdString());
    }
    return texts;
}

void AddRawRows(RowBuilder& rows) {
    const Row loadAs =
        rows.List(0, "Load As", {"Auto", "RGB8", "RGB16", "RGB24", "RGB48HS", "RGB48"},
                  InputSetting("RAW Load As"));
    const Row sizes[] = {
        rows.Number(1, "Header Size", InputSetting("RAW Header Size"), {"Bytes"}),
        rows.Number(2, "Image Width", InputSetting("RAW Image Width"), {"Pixels"}),
        rows.Number(3, "Image Height", InputSetting("RAW Image Height"), {"Pixels"}),
    };
    const Row toneMapping =
        rows.List(4, "Tone Mapping",
                  {"None", "Linear", "Adaptive Logarithmic", "DR Reduction", "Gradient Domain"},
                  InputSetting("RAW Tone Mapping"));
    // 8- and 16-bit raw data needs the layout; 48-bit data needs tone mapping; the rest neither.
    auto* list = static_cast<QComboBox*>(loadAs.control);
    auto rule = [list, sizes, toneMapping] {
        const int item = list->currentIndex();
        for (const Row& row : sizes) {
            row.SetEnabled(item == 1 || item == 2);
        }
        toneMapping.SetEnabled(item == 4 || item == 5);
    };
    QObject::connect(list, &QComboBox::currentIndexChanged, list, rule);
    rows.Binder().AddRule(rule);
}

void AddFrameLoadingRow(RowBuilder& rows, SettingKey setting) {
    rows.List(0, "Frame Loading",
              {"All Frames", "First Frame", "Middle Frame", "Last Frame", "Random Frame"}, setting);
}

void AddInputRows(RowBuilder& rows, const std::string& format) {
    if (format == "dds") {
        rows.List(0, "Load As", {"Auto", "BGRA", "RGBA"}, InputSetting("DDS Load As"));
    } else if (format == "gif") {
        AddFrameLoadingRow(rows, InputSetting("GIF Frame Loading"));
    } else if (format == "ico") {
        AddFrameLoadingRow(rows, InputSetting("ICO Frame Loading"));
    } else if (format == "tiff") {
        AddFrameLoadingRow(rows, InputSetting("TIFF Frame Loading"));
    } else if (format == "psd") {
        rows.List(0, "Color Model", {"RGB", "CMYK", "LAB"}, InputSetting("PSD Color Model"));
    } else if (format == "raw") {
        AddRawRows(rows);
    }
}

// One row per setting of the format, in the format row's order, below the depth row.
void AddOptionRows(RowBuilder& rows, const OutputFormat& format) {
    int k = 1;
    for (const FormatOption& option : format.options) {
        const SettingKey setting = OutputSetting(option.key);
        switch (option.rule) {
        case FlagRule::Compression: {
            QStringList words;
            for (const FlagChoice& choice : option.choices) {
                words << PrefText(choice.word); // the catalogue matches "NONE" as "None"
            }
            rows.ListOf(k, "Compression", words, setting);
            break;
        }
        case FlagRule::Quality:
            // The window offers the qualities the console accepts.
            rows.Slider(k, "Image Quality", setting, std::max(option.low, 1), option.high);
            break;
        case FlagRule::Switch: {
            // "PNG Interlaced" is labelled "Interlaced".
            const std::string_view label = option.key.substr(format.extension.size() + 1);
            rows.Check(k, label, setting);
            break;
        }
        case FlagRule::Choice:
        case FlagRule::None:
            for (const ListLook& look : kListLooks) {
                if (look.setting == option.key) {
                    rows.ListOf(k, look.label, PrefTexts(look.items, '|'), setting);
                }
            }
            break;
        }
        ++k;
    }
}

// "Auto" and the format's depths; the setting holds 0 for Auto and the depth otherwise.
void AddDepthRow(RowBuilder& rows, const OutputFormat& format) {
    QStringList items{PrefText("Auto")};
    for (const QString& depth :
         QString::fromUtf8(format.depths.data(), static_cast<qsizetype>(format.depths.size()))
             .split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        items << depth.trimmed();
    }
    const Row row = rows.ListOf(0, "Bits Per Pixel", items);
    auto* list = static_cast<QComboBox*>(row.control);
    const SettingKey setting = OutputSetting(format.depthKey);
    SettingBinder& binder = rows.Binder();
    binder.Bind(
        [&binder, list, setting] {
            const int64_t depth = binder.Integer(setting);
            list->setCurrentIndex(depth == 0 ? 0 : list->findText(QString::number(depth)));
        },
        [&binder, list, setting] {
            if (list->currentIndex() >= 0) {
                binder.SetInteger(setting,
                                  list->currentIndex() == 0 ? 0 : list->currentText().toInt());
            }
        });
}

} // namespace

void SetThemeListSource(ThemeListSource source) { gThemeListSource = source; }

const std::map<std::string, std::string>& InstalledThemes() {
    return gThemeListSource != nullptr ? gThemeListSource() : ThemeList();
}

const char* PageKey(int index) { return index >= 0 && index < kPageCount ? kPageKeys[index] : ""; }

QScrollArea* AddScrollArea(QWidget* page, const QRect& place, const QSize& inner,
                           const QString& objectName) {
    auto* area = new QScrollArea(page);
    Place(area, place);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->verticalScrollBar()->setSingleStep(ScaledY(kScrollStep));
    auto* panel = new QWidget;
    panel->setObjectName(objectName);
    panel->setFixedSize(Scaled(inner));
    area->setWidget(panel);
    return area;
}

PreferencesPage::PreferencesPage(QWidget* parent, int index) : QWidget(parent) {
    setObjectName(QString::fromLatin1(PageKey(index)));
    setFixedSize(Scaled(kPageSize));
}

GeneralPage::GeneralPage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kGeneralPage) {
    RowBuilder rows(this, binder);
    // One language; OK writes "en" whatever the record held.
    rows.ListOf(0, "Language", {QStringLiteral("English")});
    rows.List(
        1, "Check for Updates",
        {"Every day", "Every week", "Every month", "Every 3 months", "Every 6 months", "Never"},
        SettingRef("General", "Update Range"));
    rows.Check(2, "Save window position", SettingRef("General", "Save Window Position"));
}

InterfacePage::InterfacePage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kInterfacePage) {
    RowBuilder rows(this, binder);
    constexpr SettingKey themeSetting = SettingRef("Interface", "UI Theme");
    std::vector<std::pair<std::string, std::string>> themes(InstalledThemes().begin(),
                                                            InstalledThemes().end());
    std::ranges::stable_sort(themes, [](const auto& a, const auto& b) {
        return QString::fromStdString(a.first).compare(QString::fromStdString(b.first),
                                                       Qt::CaseInsensitive) < 0;
    });
    const Row theme = rows.ListOf(0, "UI Theme", {});
    auto* list = static_cast<QComboBox*>(theme.control);
    for (const auto& [key, name] : themes) {
        list->addItem(QString::fromStdString(name), QString::fromStdString(key));
    }
    if (themes.empty()) {
        list->addItem(PrefText("None"));
    }
    binder.Bind(
        [&binder, list] {
            const QString current = QString::fromStdString(binder.String(themeSetting));
            const int found = list->findData(current, Qt::UserRole, Qt::MatchFixedString);
            list->setCurrentIndex(std::max(found, 0));
        },
        [&binder, list] {
            // With no theme installed ("None") the setting stays as it was.
            const QVariant key = list->currentData();
            if (key.isValid()) {
                binder.String(themeSetting) = key.toString().toStdString();
            }
        });
    rows.List(1, "UI Size", {"Small", "Medium", "Large"}, SettingRef("Interface", "UI Size"));
}

FormatPage::FormatPage(QWidget* parent, int index) : PreferencesPage(parent, index) {}

QWidget* FormatPage::FormatPanel(const std::string& format) const {
    const auto found = panels_.find(format);
    return found != panels_.end() ? found->second : nullptr;
}

QWidget* FormatPage::AddFormatPanel(const std::string& format) {
    auto* panel = new QWidget(this);
    panel->setObjectName(objectName() + QLatin1Char('-') + QString::fromStdString(format));
    Place(panel, kSubPanelPlace);
    panel->hide();
    panels_[format] = panel;
    return panel;
}

void FormatPage::BuildFormatList(SettingBinder& binder, SettingKey setting, const char* labelKey,
                                 const std::vector<std::string>& formats) {
    formats_ = formats;
    RowBuilder rows(this, binder);
    formatList_ = static_cast<QComboBox*>(rows.ListOf(0, labelKey, {}).control);
    const QIcon icon(MenuIcon(QStringLiteral("New")));
    for (size_t i = 0; i < formats.size(); ++i) {
        formatList_->addItem(icon, QString::fromStdString(UpperAscii(formats[i])),
                             static_cast<int>(i));
    }
    QComboBox* list = formatList_;
    binder.Bind(
        [&binder, list, setting, formats] {
            const auto found = std::ranges::find(formats, binder.String(setting));
            list->setCurrentIndex(
                found == formats.end() ? 0 : static_cast<int>(found - formats.begin()));
        },
        [&binder, list, setting, formats] {
            const int index = list->currentData().toInt();
            if (list->currentIndex() >= 0 && index < static_cast<int>(formats.size())) {
                binder.String(setting) = formats[static_cast<size_t>(index)];
            }
        });
    connect(formatList_, &QComboBox::currentIndexChanged, this, &FormatPage::ShowSelectedPanel);
    binder.AddRule([this] { ShowSelectedPanel(); });
}

void FormatPage::ShowSelectedPanel() {
    const int index = formatList_->currentData().toInt();
    const std::string selected =
        formatList_->currentIndex() >= 0 && index < static_cast<int>(formats_.size())
            ? formats_[static_cast<size_t>(index)]
            : std::string();
    for (const auto& [format, panel] : panels_) {
        panel->setVisible(format == selected);
    }
}

InputPage::InputPage(QWidget* parent, SettingBinder& binder) : FormatPage(parent, kInputPage) {
    for (const char* format : {"dds", "gif", "ico", "psd", "raw", "tiff"}) {
        RowBuilder rows(AddFormatPanel(format), binder);
        AddInputRows(rows, format);
    }
    BuildFormatList(binder, InputSetting("Format"), "Input Format", InputFormatList());
}

OutputPage::OutputPage(QWidget* parent, SettingBinder& binder) : FormatPage(parent, kOutputPage) {
    // A panel for every format that can be written.
    for (const OutputFormat& format : kOutputFormats) {
        if (format.formatId == kNoFormatId) {
            continue;
        }
        RowBuilder rows(AddFormatPanel(std::string(format.extension)), binder);
        AddDepthRow(rows, format);
        AddOptionRows(rows, format);
    }
    BuildFormatList(binder, SettingRef("Output", "Format"), "Output Format", OutputFormatList());
}

} // namespace millconv::ui
