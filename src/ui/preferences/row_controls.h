// The row shapes of the preferences pages and the controls they are made of.
#pragma once

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <string_view>

#include "ui/preferences/setting_binder.h"

class QCheckBox;
class QColor;
class QComboBox;
class QLabel;
class QLineEdit;
class QPixmap;
class QPushButton;
class QSlider;
class QToolButton;

namespace millconv::ui {

// A text of the "Preferences" catalogue section.
QString PrefText(std::string_view key);

// Colours as the settings hold them: six upper-case hexadecimal digits. A text of any other
// length reads as black.
QString ColorText(const QColor& color);
QColor ReadColorText(const QString& text);
// One of the named colours, else "Color #RRGGBB".
QString ColorName(const QString& text);
// A solid block of the colour, used for swatches and list icons.
QPixmap ColorBlock(const QColor& color, int width, int height);

// Removes surrounding blanks and every tab, carriage return and line feed.
QString CleanFieldText(const QString& text);

// A spin box that takes any number typed into it and clamps it into its range at once, and
// keeps a slider in step (slider = value + offset).
class CoupledSpinBox : public QSpinBox {
    Q_OBJECT
  public:
    explicit CoupledSpinBox(QWidget* parent);
    void Couple(QSlider* slider, int offset);
    QSlider* Slider() const { return slider_; }

  protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;

  private:
    void TextEdited(const QString& text);
    QSlider* slider_ = nullptr;
};

// The gamma box: holds g = gamma x 100 in 1..999 and shows g / 100 with two decimals.
class GammaSpinBox : public QDoubleSpinBox {
    Q_OBJECT
  public:
    static constexpr int kMinimum = 1;
    static constexpr int kMaximum = 999;

    explicit GammaSpinBox(QWidget* parent);
    void Couple(QSlider* slider);
    QSlider* Slider() const { return slider_; }
    int Hundredths() const;
    void SetHundredths(int g);

  protected:
    QValidator::State validate(QString& text, int& pos) const override;
    double valueFromText(const QString& text) const override;

  private:
    void TextEdited(const QString& text);
    QSlider* slider_ = nullptr;
};

// One row of a page: its label, the control the label is buddy of, and a second widget (unit
// list, slider, hex text or picker button) when the shape has one.
struct Row {
    QLabel* label = nullptr;
    QWidget* control = nullptr;
    QWidget* extra = nullptr;

    void SetEnabled(bool enabled) const;
    void SetVisible(bool visible) const;
};

// Places rows on a panel (row k: label at y 13 + 30k, control at y 10 + 30k, in design pixels)
// and binds them to settings of the copy. A row without a setting (nullptr) is not stored.
class RowBuilder {
  public:
    RowBuilder(QWidget* panel, SettingBinder& binder);

    QWidget* Panel() const { return panel_; }
    SettingBinder& Binder() const { return binder_; }

    // A drop-down list of catalogue items; with a key it stores the item index.
    Row List(int k, std::string_view labelKey, std::initializer_list<std::string_view> items,
             SettingKey setting = nullptr);
    // The same with items already in their shown form.
    Row ListOf(int k, std::string_view labelKey, const QStringList& items,
               SettingKey setting = nullptr);
    Row Check(int k, std::string_view labelKey, SettingKey setting);
    // Text fields store their text cleaned of blanks at the ends and of tabs and line breaks.
    Row Text(int k, std::string_view labelKey, SettingKey setting);
    // Digits only; empty gives 0. The unit list stores its index in unitSetting when given.
    Row Number(int k, std::string_view labelKey, SettingKey setting,
               std::initializer_list<std::string_view> units, SettingKey unitSetting = nullptr);
    Row Slider(int k, std::string_view labelKey, SettingKey setting, int minimum, int maximum,
               int offset = 0);
    Row Swatch(int k, std::string_view labelKey, SettingKey setting);
    // Gamma: slider 1..999 holding gamma x 100 and a box showing it with two decimals.
    Row Gamma(int k, std::string_view labelKey, SettingKey setting);
    // A date and time field ("yyyy/MM/dd HH:mm") over a date setting.
    Row DateTime(int k, std::string_view labelKey, SettingKey setting);
    // A list 214 wide with a "..." button; filling and storing are the caller's.
    Row PickerList(int k, std::string_view labelKey);
    // A text field 214 wide with a "..." button.
    Row PickerText(int k, std::string_view labelKey, SettingKey setting);

  private:
    QLabel* Label(int k, std::string_view labelKey);
    QComboBox* Combo(int k, int width);
    QPushButton* PickerButton(int k);
    void BindIndex(QComboBox* combo, SettingKey setting);
    void BindText(QLineEdit* field, SettingKey setting);

    QWidget* panel_;
    SettingBinder& binder_;
};

// Top of row k's label and control.
constexpr int LabelTop(int k) { return 13 + 30 * k; }
constexpr int ControlTop(int k) { return 10 + 30 * k; }

} // namespace millconv::ui
