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

// Places rows on a panel (row k: label at y 13 + 30k, control at y 10 + 30k) and binds them to
// settings of one group of the copy.
class RowBuilder {
  public:
    RowBuilder(QWidget* panel, SettingBinder& binder, std::string_view group);

    QWidget* Panel() const { return panel_; }
    SettingBinder& Binder() const { return binder_; }

    // A drop-down list of catalogue items; with a key it stores the item index.
    Row List(int k, std::string_view labelKey, std::initializer_list<std::string_view> items,
             std::string_view key = {});
    // The same with items already in their shown form.
    Row ListOf(int k, std::string_view labelKey, const QStringList& items,
               std::string_view key = {});
    Row Check(int k, std::string_view labelKey, std::string_view key);
    // Text fields store their text cleaned of blanks at the ends and of tabs and line breaks.
    Row Text(int k, std::string_view labelKey, std::string_view key);
    // Digits only; empty gives 0. The unit list stores its index under unitKey when given.
    Row Number(int k, std::string_view labelKey, std::string_view key,
               std::initializer_list<std::string_view> units, std::string_view unitKey = {});
    Row Slider(int k, std::string_view labelKey, std::string_view key, int minimum, int maximum,
               int offset = 0);
    Row Swatch(int k, std::string_view labelKey, std::string_view key);
    // Gamma: slider 1..999 holding gamma x 100 and a box showing it with two decimals.
    Row Gamma(int k, std::string_view labelKey, std::string_view key);
    // A date and time field ("yyyy/MM/dd HH:mm") over a date setting.
    Row DateTime(int k, std::string_view labelKey, std::string_view key);
    // A list 214 wide with a "..." button; filling and storing are the caller's.
    Row PickerList(int k, std::string_view labelKey);
    // A text field 214 wide with a "..." button.
    Row PickerText(int k, std::string_view labelKey, std::string_view key);

  private:
    QLabel* Label(int k, std::string_view labelKey);
    QComboBox* Combo(int k, int width);
    QPushButton* PickerButton(int k);
    void BindIndex(QComboBox* combo, std::string_view key);
    void BindText(QLineEdit* field, std::string_view key);

    QWidget* panel_;
    SettingBinder& binder_;
    std::string_view group_;
};

// Top of row k's label and control.
constexpr int LabelTop(int k) { return 13 + 30 * k; }
constexpr int ControlTop(int k) { return 10 + 30 * k; }

} // namespace millconv::ui
