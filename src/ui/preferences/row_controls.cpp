// The row shapes of the preferences pages and the controls they are made of.
#include "ui/preferences/row_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSlider>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "engine/hex_color.h"
#include "settings/message_catalogue.h"
#include "ui/catalogue_text.h"
#include "ui/form_metrics.h"
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

// Row geometry in design pixels.
constexpr int kLabelX = 10;
constexpr int kLabelWidth = 160;
constexpr int kControlX = 170;
constexpr int kFieldWidth = 240;
constexpr int kPickerListWidth = 214;
constexpr int kPickerButtonX = 389;
constexpr int kPickerButtonSize = 22;
constexpr int kNumberWidth = 160;
constexpr int kSecondX = 340;
constexpr int kSecondWidth = 70;
constexpr int kSliderWidth = 170;
constexpr int kSwatchWidth = 44;
constexpr int kSwatchHeight = 22;
constexpr int kSwatchTextX = 220;
constexpr int kSwatchTextWidth = 190;
constexpr int kSwatchBlockWidth = 34;
constexpr int kSwatchBlockHeight = 12;

struct NamedColor {
    std::string_view name;
    std::string_view digits;
};

constexpr std::array<NamedColor, 19> kNamedColors = {{
    {"Black", "000000"},  {"Silver", "C0C0C0"}, {"Gray", "808080"},   {"White", "FFFFFF"},
    {"Maroon", "800000"}, {"Red", "FF0000"},    {"Purple", "800080"}, {"Fuchsia", "FF00FF"},
    {"Green", "008000"},  {"Lime", "00FF00"},   {"Olive", "808000"},  {"Yellow", "FFFF00"},
    {"Navy", "000080"},   {"Blue", "0000FF"},   {"Teal", "008080"},   {"Aqua", "00FFFF"},
    {"Orange", "FF8000"}, {"Brown", "804000"},  {"Violet", "8000FF"},
}};

// A number field's text as a value: digits only, empty is 0, too many digits saturate.
int64_t NumberFieldValue(const QString& text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok) {
        return text.isEmpty() ? 0 : std::numeric_limits<int32_t>::max();
    }
    return std::clamp<qlonglong>(value, std::numeric_limits<int32_t>::min(),
                                 std::numeric_limits<int32_t>::max());
}

void SetSwatchColor(QPushButton* button, QLineEdit* text, const QColor& color) {
    button->setIcon(QIcon(ColorBlock(color, kSwatchBlockWidth, kSwatchBlockHeight)));
    text->setText(ColorText(color));
}

} // namespace

QString PrefText(std::string_view key) { return UiText("Preferences", key); }

QString ColorText(const QColor& color) {
    return QString::asprintf("%02X%02X%02X", color.red(), color.green(), color.blue());
}

QColor ReadColorText(const QString& text) {
    // The engine's reading, so the dialog shows what a conversion would draw.
    const RgbColor rgb = ParseHexColor(text.toStdString());
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QString ColorName(const QString& text) {
    const QString upper = text.toUpper();
    for (const NamedColor& named : kNamedColors) {
        if (upper == QLatin1StringView(named.digits.data(), named.digits.size())) {
            return PrefText(named.name);
        }
    }
    return PrefText("Color") + QStringLiteral(" #") + upper;
}

QPixmap ColorBlock(const QColor& color, int width, int height) {
    QPixmap block(width, height);
    block.fill(color);
    return block;
}

QString CleanFieldText(const QString& text) {
    QString cleaned = text.trimmed();
    cleaned.remove(QLatin1Char('\t'));
    cleaned.remove(QLatin1Char('\r'));
    cleaned.remove(QLatin1Char('\n'));
    return cleaned;
}

// --- CoupledSpinBox

CoupledSpinBox::CoupledSpinBox(QWidget* parent) : QSpinBox(parent) {
    connect(lineEdit(), &QLineEdit::textEdited, this, &CoupledSpinBox::TextEdited);
}

void CoupledSpinBox::Couple(QSlider* slider, int offset) {
    slider_ = slider;
    // setValue rewrites the text even for the same value, so only a real move is passed on.
    connect(slider, &QSlider::valueChanged, this, [this, offset](int position) {
        if (position - offset != value()) {
            setValue(position - offset);
        }
    });
    connect(this, &QSpinBox::valueChanged, slider,
            [slider, offset](int value) { slider->setValue(value + offset); });
    slider->setValue(value() + offset);
}

QValidator::State CoupledSpinBox::validate(QString& text, int&) const {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]{1,10}$"));
    if (text.isEmpty() || text == QLatin1String("-")) {
        return QValidator::Intermediate;
    }
    return number.match(text).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

int CoupledSpinBox::valueFromText(const QString& text) const {
    return static_cast<int>(std::clamp<qlonglong>(text.toLongLong(), minimum(), maximum()));
}

void CoupledSpinBox::TextEdited(const QString& text) {
    QString copy = text;
    int pos = 0;
    if (validate(copy, pos) != QValidator::Acceptable) {
        return;
    }
    // In range, the spin box takes the value itself while the text stays as typed; out of
    // range, the clamped value replaces the text at once.
    const qlonglong typed = text.toLongLong();
    const int clamped = valueFromText(text);
    if (typed != clamped) {
        setValue(clamped);
        lineEdit()->setText(QString::number(clamped));
    }
}

// --- GammaSpinBox

GammaSpinBox::GammaSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {
    // Always a decimal point: the box shows the gamma the way the settings file writes it.
    setLocale(QLocale::c());
    setDecimals(2);
    setRange(kMinimum / 100.0, kMaximum / 100.0);
    setSingleStep(0.01);
    connect(lineEdit(), &QLineEdit::textEdited, this, &GammaSpinBox::TextEdited);
    connect(this, &QAbstractSpinBox::editingFinished, this,
            [this] { lineEdit()->setText(textFromValue(value())); });
}

void GammaSpinBox::Couple(QSlider* slider) {
    slider_ = slider;
    connect(slider, &QSlider::valueChanged, this, [this](int g) {
        if (g != Hundredths()) {
            SetHundredths(g);
        }
    });
    connect(this, &QDoubleSpinBox::valueChanged, slider,
            [this, slider](double) { slider->setValue(Hundredths()); });
    slider->setValue(Hundredths());
}

int GammaSpinBox::Hundredths() const {
    return std::clamp(static_cast<int>(std::lround(value() * 100.0)), kMinimum, kMaximum);
}

void GammaSpinBox::SetHundredths(int g) { setValue(std::clamp(g, kMinimum, kMaximum) / 100.0); }

QValidator::State GammaSpinBox::validate(QString& text, int&) const {
    static const QRegularExpression number(QStringLiteral("^[0-9]{0,6}([.,][0-9]*)?$"));
    if (text.isEmpty() || text == QLatin1String(".") || text == QLatin1String(",")) {
        return QValidator::Intermediate;
    }
    return number.match(text).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

double GammaSpinBox::valueFromText(const QString& text) const {
    QString dotted = text;
    dotted.replace(QLatin1Char(','), QLatin1Char('.'));
    const long g = std::lround(dotted.toDouble() * 100.0);
    return std::clamp<long>(g, kMinimum, kMaximum) / 100.0;
}

void GammaSpinBox::TextEdited(const QString& text) {
    QString copy = text;
    int pos = 0;
    if (validate(copy, pos) != QValidator::Acceptable) {
        return;
    }
    QString dotted = text;
    dotted.replace(QLatin1Char(','), QLatin1Char('.'));
    const long typed = std::lround(dotted.toDouble() * 100.0);
    if (typed < kMinimum || typed > kMaximum) {
        const double clamped = valueFromText(text);
        setValue(clamped);
        lineEdit()->setText(textFromValue(clamped));
    }
}

// --- Row

void Row::SetEnabled(bool enabled) const {
    for (QWidget* widget : {static_cast<QWidget*>(label), control, extra}) {
        if (widget != nullptr) {
            widget->setEnabled(enabled);
        }
    }
}

void Row::SetVisible(bool visible) const {
    for (QWidget* widget : {static_cast<QWidget*>(label), control, extra}) {
        if (widget != nullptr) {
            widget->setVisible(visible);
        }
    }
}

// --- RowBuilder

RowBuilder::RowBuilder(QWidget* panel, SettingBinder& binder) : panel_(panel), binder_(binder) {}

QLabel* RowBuilder::Label(int k, std::string_view labelKey) {
    auto* label = new QLabel(PrefText(labelKey), panel_);
    Place(label, QRect(kLabelX, LabelTop(k), kLabelWidth, kFieldHeight));
    return label;
}

QComboBox* RowBuilder::Combo(int k, int width) {
    auto* combo = new QComboBox(panel_);
    combo->setEditable(false);
    Place(combo, QRect(kControlX, ControlTop(k), width, kListHeight));
    return combo;
}

QPushButton* RowBuilder::PickerButton(int k) {
    auto* button = new QPushButton(QStringLiteral("..."), panel_);
    button->setAutoDefault(false);
    Place(button, QRect(kPickerButtonX, ControlTop(k) - 1, kPickerButtonSize, kPickerButtonSize));
    return button;
}

void RowBuilder::BindIndex(QComboBox* combo, SettingKey setting) {
    if (setting == nullptr) {
        return;
    }
    SettingBinder& binder = binder_;
    binder.Bind([&binder, combo,
                 setting] { combo->setCurrentIndex(static_cast<int>(binder.Integer(setting))); },
                [&binder, combo, setting] {
                    // A value the list has no item for stays as it was.
                    if (combo->currentIndex() >= 0) {
                        binder.SetInteger(setting, combo->currentIndex());
                    }
                });
}

void RowBuilder::BindText(QLineEdit* field, SettingKey setting) {
    SettingBinder& binder = binder_;
    binder.Bind([&binder, field,
                 setting] { field->setText(QString::fromStdString(binder.String(setting))); },
                [&binder, field, setting] {
                    binder.String(setting) = CleanFieldText(field->text()).toStdString();
                });
}

Row RowBuilder::List(int k, std::string_view labelKey,
                     std::initializer_list<std::string_view> items, SettingKey setting) {
    QStringList texts;
    for (std::string_view item : items) {
        texts << PrefText(item);
    }
    return ListOf(k, labelKey, texts, setting);
}

Row RowBuilder::ListOf(int k, std::string_view labelKey, const QStringList& items,
                       SettingKey setting) {
    Row row{Label(k, labelKey), Combo(k, kFieldWidth), nullptr};
    auto* combo = static_cast<QComboBox*>(row.control);
    combo->addItems(items);
    row.label->setBuddy(combo);
    BindIndex(combo, setting);
    return row;
}

Row RowBuilder::Check(int k, std::string_view labelKey, SettingKey setting) {
    auto* box = new QCheckBox(panel_);
    Place(box, QRect(kControlX, ControlTop(k), kFieldWidth, kFieldHeight));
    Row row{Label(k, labelKey), box, nullptr};
    row.label->setBuddy(box);
    SettingBinder& binder = binder_;
    binder.Bind([&binder, box, setting] { box->setChecked(binder.Integer(setting) != 0); },
                [&binder, box, setting] { binder.SetInteger(setting, box->isChecked() ? 1 : 0); });
    return row;
}

Row RowBuilder::Text(int k, std::string_view labelKey, SettingKey setting) {
    auto* field = new QLineEdit(panel_);
    Place(field, QRect(kControlX, ControlTop(k), kFieldWidth, kFieldHeight));
    Row row{Label(k, labelKey), field, nullptr};
    row.label->setBuddy(field);
    BindText(field, setting);
    return row;
}

Row RowBuilder::Number(int k, std::string_view labelKey, SettingKey setting,
                       std::initializer_list<std::string_view> units, SettingKey unitSetting) {
    auto* field = new QLineEdit(panel_);
    Place(field, QRect(kControlX, ControlTop(k), kNumberWidth, kFieldHeight));
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), field));
    Row row{Label(k, labelKey), field, Combo(k, kSecondWidth)};
    auto* unitList = static_cast<QComboBox*>(row.extra);
    unitList->move(Scaled(QPoint(kSecondX, ControlTop(k) - 1)));
    for (std::string_view unit : units) {
        unitList->addItem(PrefText(unit));
    }
    row.label->setBuddy(field);
    SettingBinder& binder = binder_;
    binder.Bind(
        [&binder, field, setting] { field->setText(QString::number(binder.Integer(setting))); },
        [&binder, field, setting] { binder.SetInteger(setting, NumberFieldValue(field->text())); });
    BindIndex(unitList, unitSetting);
    return row;
}

Row RowBuilder::Slider(int k, std::string_view labelKey, SettingKey setting, int minimum,
                       int maximum, int offset) {
    auto* slider = new QSlider(Qt::Horizontal, panel_);
    Place(slider, QRect(kControlX, ControlTop(k), kSliderWidth, kFieldHeight));
    slider->setRange(minimum + offset, maximum + offset);
    auto* spin = new CoupledSpinBox(panel_);
    Place(spin, QRect(kSecondX, ControlTop(k), kSecondWidth, kFieldHeight));
    spin->setRange(minimum, maximum);
    spin->Couple(slider, offset);
    Row row{Label(k, labelKey), spin, slider};
    row.label->setBuddy(spin);
    SettingBinder& binder = binder_;
    binder.Bind(
        [&binder, spin, setting] {
            spin->setValue(static_cast<int>(
                std::clamp<int64_t>(binder.Integer(setting), spin->minimum(), spin->maximum())));
        },
        [&binder, spin, setting] { binder.SetInteger(setting, spin->value()); });
    return row;
}

Row RowBuilder::Swatch(int k, std::string_view labelKey, SettingKey setting) {
    auto* button = new QPushButton(panel_);
    button->setAutoDefault(false);
    Place(button, QRect(kControlX, ControlTop(k) - 1, kSwatchWidth, kSwatchHeight));
    button->setIconSize(QSize(kSwatchBlockWidth, kSwatchBlockHeight));
    auto* text = new QLineEdit(panel_);
    text->setReadOnly(true);
    Place(text, QRect(kSwatchTextX, ControlTop(k), kSwatchTextWidth, kFieldHeight));
    Row row{Label(k, labelKey), button, text};
    row.label->setBuddy(button);
    QObject::connect(button, &QPushButton::clicked, button, [button, text] {
        const QColor current = ReadColorText(text->text());
        const auto chosen = CurrentPrompter().PickColor(button->window(), current);
        if (chosen && chosen->rgb() != current.rgb()) {
            SetSwatchColor(button, text, *chosen);
        }
    });
    SettingBinder& binder = binder_;
    binder.Bind(
        [&binder, button, text, setting] {
            // The text shows the colour as read, so a malformed setting shows as black.
            SetSwatchColor(button, text,
                           ReadColorText(QString::fromStdString(binder.String(setting))));
        },
        [&binder, text, setting] {
            binder.String(setting) = ColorText(ReadColorText(text->text())).toStdString();
        });
    return row;
}

Row RowBuilder::Gamma(int k, std::string_view labelKey, SettingKey setting) {
    auto* slider = new QSlider(Qt::Horizontal, panel_);
    Place(slider, QRect(kControlX, ControlTop(k), kSliderWidth, kFieldHeight));
    slider->setRange(GammaSpinBox::kMinimum, GammaSpinBox::kMaximum);
    auto* spin = new GammaSpinBox(panel_);
    Place(spin, QRect(kSecondX, ControlTop(k), kSecondWidth, kFieldHeight));
    spin->Couple(slider);
    Row row{Label(k, labelKey), spin, slider};
    row.label->setBuddy(spin);
    SettingBinder& binder = binder_;
    binder.Bind(
        [&binder, spin, setting] {
            const double gamma = binder.Float(setting);
            // NaN or infinity from a hand-edited file shows as the neutral 1.00.
            spin->SetHundredths(std::isfinite(gamma) ? static_cast<int>(std::lround(
                                                           std::clamp(gamma, 0.0, 10.0) * 100.0))
                                                     : 100);
        },
        [&binder, spin, setting] { binder.SetFloat(setting, spin->Hundredths() / 100.0); });
    return row;
}

Row RowBuilder::DateTime(int k, std::string_view labelKey, SettingKey setting) {
    auto* edit = new QDateTimeEdit(panel_);
    Place(edit, QRect(kControlX, ControlTop(k), kFieldWidth, kFieldHeight));
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm"));
    edit->setTimeSpec(Qt::UTC);
    // Dates are int32 seconds, so the edit keeps to their span.
    edit->setDateTimeRange(
        QDateTime::fromSecsSinceEpoch(0, Qt::UTC),
        QDateTime::fromSecsSinceEpoch(std::numeric_limits<int32_t>::max(), Qt::UTC));
    Row row{Label(k, labelKey), edit, nullptr};
    row.label->setBuddy(edit);
    SettingBinder& binder = binder_;
    // Date settings count seconds of local wall-clock time, so their fields are read as UTC.
    binder.Bind(
        [&binder, edit, setting] {
            edit->setDateTime(QDateTime::fromSecsSinceEpoch(binder.Integer(setting), Qt::UTC));
        },
        [&binder, edit, setting] {
            // The field shows minutes; an untouched minute keeps the stored seconds.
            const int64_t stored = binder.Integer(setting);
            const int64_t shown = edit->dateTime().toSecsSinceEpoch();
            if (shown / 60 != stored / 60) {
                binder.SetInteger(setting, shown);
            }
        });
    return row;
}

Row RowBuilder::PickerList(int k, std::string_view labelKey) {
    Row row{Label(k, labelKey), Combo(k, kPickerListWidth), PickerButton(k)};
    row.label->setBuddy(row.control);
    return row;
}

Row RowBuilder::PickerText(int k, std::string_view labelKey, SettingKey setting) {
    auto* field = new QLineEdit(panel_);
    Place(field, QRect(kControlX, ControlTop(k), kPickerListWidth, kFieldHeight));
    Row row{Label(k, labelKey), field, PickerButton(k)};
    row.label->setBuddy(field);
    BindText(field, setting);
    return row;
}

} // namespace millconv::ui
