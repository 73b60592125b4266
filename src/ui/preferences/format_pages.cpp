// The pages General, Interface, Input and Output, and what all pages share.
#include "ui/preferences/pages.h"

#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <string_view>
#include <vector>

#include "settings/format_catalogue.h"
#include "ui/preferences/row_controls.h"
#include "ui/theme_images.h"

namespace millconv::ui {

namespace {

constexpr const char* kPageKeys[kPageCount] = {"General",   "Interface",  "Input",
                                               "Output",    "Transform",  "Adjustment",
                                               "Frame",     "Watermark",  "Advanced"};

constexpr int kPageWidth = 450;
constexpr int kPageHeight = 255;
constexpr QRect kSubPanelPlace(0, 40, 450, 215);
constexpr int kScrollStep = 10;

ThemeListSource gThemeListSource = nullptr;

std::string UpperAscii(std::string text) {
    std::ranges::transform(text, text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

// The setting keys of the formats' rows come from the table, so they live as long as it does.
std::string_view FormatKey(const char* group, const std::string& format, std::string_view what) {
    return SettingBinder::Def(group, UpperAscii(format) + " " + std::string(what)).key;
}

bool HasFormatSetting(const char* group, const std::string& format, std::string_view what) {
    return FindSetting(group, UpperAscii(format) + " " + std::string(what)) != nullptr;
}

void AddRawRows(RowBuilder& rows) {
    const Row loadAs = rows.List(0, "Load As",
                                 {"Auto", "RGB8", "RGB16", "RGB24", "RGB48HS", "RGB48"},
                                 "RAW Load As");
    const Row sizes[] = {
        rows.Number(1, "Header Size", "RAW Header Size", {"Bytes"}),
        rows.Number(2, "Image Width", "RAW Image Width", {"Pixels"}),
        rows.Number(3, "Image Height", "RAW Image Height", {"Pixels"}),
    };
    const Row toneMapping = rows.List(4, "Tone Mapping",
                                      {"None", "Linear", "Adaptive Logarithmic", "DR Reduction",
                                       "Gradient Domain"},
                                      "RAW Tone Mapping");
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

void AddInputRows(RowBuilder& rows, const std::string& format) {
    if (format == "dds") {
        rows.List(0, "Load As", {"Auto", "BGRA", "RGBA"}, "DDS Load As");
    } else if (format == "gif" || format == "ico" || format == "tiff") {
        rows.List(0, "Frame Loading",
                  {"All Frames", "First Frame", "Middle Frame", "Last Frame", "Random Frame"},
                  FormatKey("Input", format, "Frame Loading"));
    } else if (format == "psd") {
        rows.List(0, "Color Model", {"RGB", "CMYK", "LAB"}, "PSD Color Model");
    } else if (format == "raw") {
        AddRawRows(rows);
    }
}

void AddOutputRows(RowBuilder& rows, const std::string& format) {
    if (format == "bmp") {
        rows.List(1, "Compression", {"None", "RLE"}, "BMP Compression");
        rows.List(2, "Color Table", {"Auto", "Exact"}, "BMP Color Table");
    } else if (format == "exr") {
        rows.List(1, "Compression", {"None", "ZIP", "PIZ", "PXR24", "B44"}, "EXR Compression");
    } else if (format == "jpg") {
        rows.Slider(1, "Image Quality", "JPG Quality", 1, 100);
        rows.List(2, "Chroma Subsampling", {"None", "Low", "Medium", "High"}, "JPG Chroma");
        rows.List(3, "Save As",
                  {"Baseline Standard", "Baseline Simple", "Baseline Optimized", "Progressive"},
                  "JPG Save As");
    } else if (format == "pcx") {
        rows.List(1, "Compression", {"RLE"}); // shown for information; nothing to choose
    } else if (format == "png") {
        rows.List(1, "Compression", {"None", "ZLIB1", "ZLIB6", "ZLIB9"}, "PNG Compression");
        rows.Check(2, "Interlaced", "PNG Interlaced");
    } else if (format == "tga") {
        rows.List(1, "Compression", {"None", "RLE"}, "TGA Compression");
        rows.List(2, "Transparency", {"Flatten onto white", "Keep"}, "TGA Alpha");
        rows.List(3, "Origin", {"Bottom-left", "Top-left"}, "TGA Origin");
    } else if (format == "tiff") {
        rows.List(1, "Compression",
                  {"None", "CCITTFAX3", "CCITTFAX4", "PACKBITS", "DEFLATE", "ADOBEDEFLATE", "LZW",
                   "JPEG", "LOGLUV"},
                  "TIFF Compression");
        rows.List(2, "Color Model", {"RGB", "CMYK"}, "TIFF Color Model");
    } else if (format == "webp") {
        rows.Slider(1, "Image Quality", "WEBP Quality", 1, 100);
    }
}

// "Auto" and the format's depths; the setting holds 0 for Auto and the depth otherwise.
void AddDepthRow(RowBuilder& rows, const FormatEntry& entry) {
    QStringList items{PrefText("Auto")};
    for (const QString& depth : QString::fromStdString(entry.depths).split(QLatin1Char(','),
                                                                          Qt::SkipEmptyParts)) {
        items << depth.trimmed();
    }
    const Row row = rows.ListOf(0, "Bits Per Pixel", items);
    auto* list = static_cast<QComboBox*>(row.control);
    const std::string_view key = FormatKey("Output", entry.key, "BPP");
    SettingBinder& binder = rows.Binder();
    binder.Bind(
        [&binder, list, key] {
            const int64_t depth = binder.Integer("Output", key);
            list->setCurrentIndex(depth == 0 ? 0 : list->findText(QString::number(depth)));
        },
        [&binder, list, key] {
            if (list->currentIndex() >= 0) {
                binder.SetInteger("Output", key,
                                  list->currentIndex() == 0 ? 0 : list->currentText().toInt());
            }
        });
}

} // namespace

void SetThemeListSource(ThemeListSource source) { gThemeListSource = source; }

const std::map<std::string, std::string>& InstalledThemes() {
    return gThemeListSource != nullptr ? gThemeListSource() : ThemeList();
}

const char* PageKey(int index) {
    return index >= 0 && index < kPageCount ? kPageKeys[index] : "";
}

QScrollArea* AddScrollArea(QWidget* page, const QRect& place, const QSize& inner,
                           const QString& objectName) {
    auto* area = new QScrollArea(page);
    area->setGeometry(place);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->verticalScrollBar()->setSingleStep(kScrollStep);
    auto* panel = new QWidget;
    panel->setObjectName(objectName);
    panel->setFixedSize(inner);
    area->setWidget(panel);
    return area;
}

PreferencesPage::PreferencesPage(QWidget* parent, int index) : QWidget(parent) {
    setObjectName(QString::fromLatin1(PageKey(index)));
    setFixedSize(kPageWidth, kPageHeight);
}

GeneralPage::GeneralPage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kGeneralPage) {
    RowBuilder rows(this, binder, "General");
    // One language; OK writes "en" whatever the record held.
    rows.ListOf(0, "Language", {QStringLiteral("English")});
    rows.List(1, "Check for Updates",
              {"Every day", "Every week", "Every month", "Every 3 months", "Every 6 months",
               "Never"},
              "Update Range");
    rows.Check(2, "Save window position", "Save Window Position");
}

InterfacePage::InterfacePage(QWidget* parent, SettingBinder& binder)
    : PreferencesPage(parent, kInterfacePage) {
    RowBuilder rows(this, binder, "Interface");
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
            const QString current = QString::fromStdString(binder.String("Interface", "UI Theme"));
            const int found = list->findData(current, Qt::UserRole, Qt::MatchFixedString);
            list->setCurrentIndex(std::max(found, 0));
        },
        [&binder, list] {
            // With no theme installed ("None") the setting stays as it was.
            const QVariant key = list->currentData();
            if (key.isValid()) {
                binder.String("Interface", "UI Theme") = key.toString().toStdString();
            }
        });
    rows.List(1, "UI Size", {"Small", "Medium", "Large"}, "UI Size");
}

FormatPage::FormatPage(QWidget* parent, int index) : PreferencesPage(parent, index) {}

QWidget* FormatPage::FormatPanel(const std::string& format) const {
    const auto found = panels_.find(format);
    return found != panels_.end() ? found->second : nullptr;
}

QWidget* FormatPage::AddFormatPanel(const std::string& format) {
    auto* panel = new QWidget(this);
    panel->setObjectName(objectName() + QLatin1Char('-') + QString::fromStdString(format));
    panel->setGeometry(kSubPanelPlace);
    panel->hide();
    panels_[format] = panel;
    return panel;
}

void FormatPage::BuildFormatList(SettingBinder& binder, const char* group, const char* labelKey,
                                 const std::vector<std::string>& formats) {
    formats_ = formats;
    RowBuilder rows(this, binder, group);
    formatList_ = static_cast<QComboBox*>(rows.ListOf(0, labelKey, {}).control);
    const QIcon icon(MenuIcon(QStringLiteral("New")));
    for (size_t i = 0; i < formats.size(); ++i) {
        formatList_->addItem(icon, QString::fromStdString(UpperAscii(formats[i])),
                             static_cast<int>(i));
    }
    QComboBox* list = formatList_;
    binder.Bind(
        [&binder, list, group, formats] {
            const auto found = std::ranges::find(formats, binder.String(group, "Format"));
            list->setCurrentIndex(found == formats.end()
                                      ? 0
                                      : static_cast<int>(found - formats.begin()));
        },
        [&binder, list, group, formats] {
            const int index = list->currentData().toInt();
            if (list->currentIndex() >= 0 && index < static_cast<int>(formats.size())) {
                binder.String(group, "Format") = formats[static_cast<size_t>(index)];
            }
        });
    connect(formatList_, &QComboBox::currentIndexChanged, this, &FormatPage::ShowSelectedPanel);
    binder.AddRule([this] { ShowSelectedPanel(); });
}

void FormatPage::ShowSelectedPanel() {
    const int index = formatList_->currentData().toInt();
    const std::string selected = formatList_->currentIndex() >= 0 &&
                                         index < static_cast<int>(formats_.size())
                                     ? formats_[static_cast<size_t>(index)]
                                     : std::string();
    for (const auto& [format, panel] : panels_) {
        panel->setVisible(format == selected);
    }
}

InputPage::InputPage(QWidget* parent, SettingBinder& binder) : FormatPage(parent, kInputPage) {
    for (const char* format : {"dds", "gif", "ico", "psd", "raw", "tiff"}) {
        RowBuilder rows(AddFormatPanel(format), binder, "Input");
        AddInputRows(rows, format);
    }
    BuildFormatList(binder, "Input", "Input Format", InputFormatList());
}

OutputPage::OutputPage(QWidget* parent, SettingBinder& binder)
    : FormatPage(parent, kOutputPage) {
    for (const FormatEntry& entry : OutputCatalogue()) {
        if (!HasFormatSetting("Output", entry.key, "BPP")) {
            continue;
        }
        RowBuilder rows(AddFormatPanel(entry.key), binder, "Output");
        AddDepthRow(rows, entry);
        AddOutputRows(rows, entry.key);
    }
    BuildFormatList(binder, "Output", "Output Format", OutputFormatList());
}

} // namespace millconv::ui
