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
#include "ui/prompter.h"

namespace millconv::ui {

namespace {

constexpr int kLabelX = 10;
constexpr int kLabelWidth = 160;
constexpr int kControlX = 170;
constexpr int kFieldWidth = 240;
constexpr int kFieldHeight = 20;
constexpr int kListHeight = 21;
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

QString PrefText(std::string_view key) {
    return QString::fromStdString(CatalogueText("Preferences", key));
}

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

RowBuilder::RowBuilder(QWidget* panel, SettingBinder& binder, std::string_view group)
    : panel_(panel), binder_(binder), group_(group) {}

QLabel* RowBuilder::Label(int k, std::string_view labelKey) {
    auto* label = new QLabel(PrefText(labelKey), panel_);
    label->setGeometry(kLabelX, LabelTop(k), kLabelWidth, kFieldHeight);
    return label;
}

QComboBox* RowBuilder::Combo(int k, int width) {
    auto* combo = new QComboBox(panel_);
    combo->setEditable(false);
    combo->setGeometry(kControlX, ControlTop(k), width, kListHeight);
    return combo;
}

QPushButton* RowBuilder::PickerButton(int k) {
    auto* button = new QPushButton(QStringLiteral("..."), panel_);
    button->setAutoDefault(false);
    button->setGeometry(kPickerButtonX, ControlTop(k) - 1, kPickerButtonSize, kPickerButtonSize);
    return button;
}

void RowBuilder::BindIndex(QComboBox* combo, std::string_view key) {
    if (key.empty()) {
        return;
    }
    SettingBinder& binder = binder_;
    const std::string_view group = group_;
    binder.Bind(
        [&binder, combo, group, key] {
            combo->setCurrentIndex(static_cast<int>(binder.Integer(group, key)));
        },
        [&binder, combo, group, key] {
            // A value the list has no item for stays as it was.
            if (combo->currentIndex() >= 0) {
                binder.SetInteger(group, key, combo->currentIndex());
            }
        });
}

void RowBuilder::BindText(QLineEdit* field, std::string_view key) {
    SettingBinder& binder = binder_;
    const std::string_view group = group_;
    binder.Bind([&binder, field, group,
                 key] { field->setText(QString::fromStdString(binder.String(group, key))); },
                [&binder, field, group, key] {
                    binder.String(group, key) = CleanFieldText(field->text()).toStdString();
                });
}

Row RowBuilder::List(int k, std::string_view labelKey,
                     std::initializer_list<std::string_view> items, std::string_view key) {
    QStringList texts;
    for (std::string_view item : items) {
        texts << PrefText(item);
    }
    return ListOf(k, labelKey, texts, key);
}

Row RowBuilder::ListOf(int k, std::string_view labelKey, const QStringList& items,
                       std::string_view key) {
    Row row{Label(k, labelKey), Combo(k, kFieldWidth), nullptr};
    auto* combo = static_cast<QComboBox*>(row.control);
    combo->addItems(items);
    row.label->setBuddy(combo);
    BindIndex(combo, key);
    return row;
}

Row RowBuilder::Check(int k, std::string_view labelKey, std::string_view key) {
    auto* box = new QCheckBox(panel_);
    box->setGeometry(kControlX, ControlTop(k), kFieldWidth, kFieldHeight);
    Row row{Label(k, labelKey), box, nullptr};
    row.label->setBuddy(box);
    SettingBinder& binder = binder_;
    const std::string_view group = group_;
    binder.Bind([&binder, box, group, key] { box->setChecked(binder.Integer(group, key) != 0); },
                [&binder, box, group, key] {
                    binder.SetInteger(group, key, box->isChecked() ? 1 : 0);
                });
    return row;
}

Row RowBuilder::Text(int k, std::string_view labelKey, std::string_view key) {
    auto* field = new QLineEdit(panel_);
    field->setGeometry(kControlX, ControlTop(k), kFieldWidth, kFieldHeight);
    Row row{Label(k, labelKey), field, nullptr};
    row.label->setBuddy(field);
    BindText(field, key);
    return row;
}

Row RowBuilder::Number(int k, std::string_view labelKey, std::string_view key,
                       std::initializer_list<std::string_view> units, std::string_view unitKey) {
    auto* field = new QLineEdit(panel_);
    field->setGeometry(kControlX, ControlTop(k), kNumberWidth, kFieldHeight);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), field));
    Row row{Label(k, labelKey), field, Combo(k, kSecondWidth)};
    auto* unitList = static_cast<QComboBox*>(row.extra);
    unitList->move(kSecondX, ControlTop(k) - 1);
    for (std::string_view unit : units) {
        unitList->addItem(PrefText(unit));
    }
    row.label->setBuddy(field);
    SettingBinder& binder = binder_;
    const std::string_view group = group_;
    binder.Bind(
        [&binder, field, group, key] {
            field->setText(QString::number(binder.Integer(group, key)));
        },
        [&binder, field, group, key] {
            binder.SetInteger(group, key, NumberFieldValue(field->text()));
        });
    BindIndex(unitList, unitKey);
    return row;
}

Row RowBuilder::Slider(int k, std::string_view labelKey, std::string_view key, int minimum,
                       int maximum, int offset) {
    auto* slider = new QSlider(Qt::Horizontal, panel_);
    slider->setGeometry(kControlX, ControlTop(k), kSliderWidth, kFieldHeight);
    slider->setRange(minimum + offset, maximum + offset);
    auto* spin = new CoupledSpinBox(panel_);
    spin->setGeometry(kSecondX, ControlTop(k), kSecondWidth, kFieldHeight);
    spin->setRange(minimum, maximum);
    spin->Couple(slider, offset);
    Row row{Label(k, labelKey), spin, slider};
    row.label->setBuddy(spin);
    SettingBinder& binder = binder_;
    const std::string_view group = group_;
    binder.Bind(
        [&binder, spin, group, key] {
            spin->setValue(static_cast<int>(std::clamp<int64_t>(binder.Integer(group, key),
                                                                spin->minimum(), spin->maximum())));
        },
        [&binder, spin, group, key] { binder.SetInteger(group, key, spin->value()); });
    return row;
}

Row RowBuilder::Swatch(int k, std::string_view labelKey, std::string_view key) {
    auto* button = new QPushButton(panel_);
    button->setAutoDefault(false);
    button->setGeometry(kControlX, ControlTop(k) - 1, kSwatchWidth, kSwatchHeight);
    button->setIconSize(QSize(kSwatchBlockWidth, kSwatchBlockHeight));
    auto* text = new QLineEdit(panel_);
    text->setReadOnly(true);
    text->setGeometry(kSwatchTextX, ControlTop(k), kSwatchTextWidth, kFieldHeight);
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
    const std::string_view group = group_;
    binder.Bind(
        [&binder, button, text, group, key] {
            // The text shows the colour as read, so a malformed setting shows as black.
            SetSwatchColor(button, text,
                           ReadColorText(QString::fromStdString(binder.String(group, key))));
        },
        [&binder, text, group, key] {
            binder.String(group, key) = ColorText(ReadColorText(text->text())).toStdString();
        });
    return row;
}

Row RowBuilder::Gamma(int k, std::string_view labelKey, std::string_view key) {
    auto* slider = new QSlider(Qt::Horizontal, panel_);
    slider->setGeometry(kControlX, ControlTop(k), kSliderWidth, kFieldHeight);
    slider->setRange(GammaSpinBox::kMinimum, GammaSpinBox::kMaximum);
    auto* spin = new GammaSpinBox(panel_);
    spin->setGeometry(kSecondX, ControlTop(k), kSecondWidth, kFieldHeight);
    spin->Couple(slider);
    Row row{Label(k, labelKey), spin, slider};
    row.label->setBuddy(spin);
    SettingBinder& binder = binder_;
    const std::string_view group = group_;
    binder.Bind(
        [&binder, spin, group, key] {
            const double gamma = binder.Float(group, key);
            // NaN or infinity from a hand-edited file shows as the neutral 1.00.
            spin->SetHundredths(std::isfinite(gamma)
                                    ? static_cast<int>(std::lround(std::clamp(gamma, 0.0, 10.0) *
                                                                   100.0))
                                    : 100);
        },
        [&binder, spin, group, key] { binder.SetFloat(group, key, spin->Hundredths() / 100.0); });
    return row;
}

Row RowBuilder::DateTime(int k, std::string_view labelKey, std::string_view key) {
    auto* edit = new QDateTimeEdit(panel_);
    edit->setGeometry(kControlX, ControlTop(k), kFieldWidth, kFieldHeight);
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm"));
    edit->setTimeSpec(Qt::UTC);
    // Dates are int32 seconds, so the edit keeps to their span.
    edit->setDateTimeRange(QDateTime::fromSecsSinceEpoch(0, Qt::UTC),
                           QDateTime::fromSecsSinceEpoch(std::numeric_limits<int32_t>::max(),
                                                         Qt::UTC));
    Row row{Label(k, labelKey), edit, nullptr};
    row.label->setBuddy(edit);
    SettingBinder& binder = binder_;
    const std::string_view group = group_;
    // Date settings count seconds of local wall-clock time, so their fields are read as UTC.
    binder.Bind(
        [&binder, edit, group, key] {
            edit->setDateTime(
                QDateTime::fromSecsSinceEpoch(binder.Integer(group, key), Qt::UTC));
        },
        [&binder, edit, group, key] {
            // The field shows minutes; an untouched minute keeps the stored seconds.
            const int64_t stored = binder.Integer(group, key);
            const int64_t shown = edit->dateTime().toSecsSinceEpoch();
            if (shown / 60 != stored / 60) {
                binder.SetInteger(group, key, shown);
            }
        });
    return row;
}

Row RowBuilder::PickerList(int k, std::string_view labelKey) {
    Row row{Label(k, labelKey), Combo(k, kPickerListWidth), PickerButton(k)};
    row.label->setBuddy(row.control);
    return row;
}

Row RowBuilder::PickerText(int k, std::string_view labelKey, std::string_view key) {
    auto* field = new QLineEdit(panel_);
    field->setGeometry(kControlX, ControlTop(k), kPickerListWidth, kFieldHeight);
    Row row{Label(k, labelKey), field, PickerButton(k)};
    row.label->setBuddy(field);
    BindText(field, key);
    return row;
}

} // namespace millconv::ui
