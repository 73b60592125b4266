// The nine pages of the preferences dialog, each a 450 x 255 panel bound to the working copy.
#pragma once

#include <QWidget>

#include <map>
#include <string>
#include <vector>

#include "ui/preferences/setting_binder.h"

class QComboBox;
class QScrollArea;

namespace millconv::ui {

// Source of the installed themes (package name -> display name); tests replace it.
using ThemeListSource = const std::map<std::string, std::string>& (*)();
void SetThemeListSource(ThemeListSource source);
const std::map<std::string, std::string>& InstalledThemes();

enum PageIndex {
    kGeneralPage,
    kInterfacePage,
    kInputPage,
    kOutputPage,
    kTransformPage,
    kAdjustmentPage,
    kFramePage,
    kWatermarkPage,
    kAdvancedPage,
    kPageCount
};

// A page's size in design pixels.
inline constexpr QSize kPageSize(450, 255);

// The catalogue key (and English name) of page i.
const char* PageKey(int index);

// A page panel; the object name is the page's key so tests and styles can find it.
class PreferencesPage : public QWidget {
  public:
    PreferencesPage(QWidget* parent, int index);
};

class GeneralPage : public PreferencesPage {
  public:
    GeneralPage(QWidget* parent, SettingBinder& binder);
};

class InterfacePage : public PreferencesPage {
  public:
    InterfacePage(QWidget* parent, SettingBinder& binder);
};

// Input and Output: a format list over one sub-panel per format with options.
class FormatPage : public PreferencesPage {
  public:
    FormatPage(QWidget* parent, int index);
    QComboBox* FormatList() const { return formatList_; }
    // The sub-panel of a format ("raw"), or nullptr when the format has no options.
    QWidget* FormatPanel(const std::string& format) const;

  protected:
    QWidget* AddFormatPanel(const std::string& format);
    void BuildFormatList(SettingBinder& binder, SettingKey setting, const char* labelKey,
                         const std::vector<std::string>& formats);

  private:
    void ShowSelectedPanel();
    QComboBox* formatList_ = nullptr;
    std::vector<std::string> formats_;
    std::map<std::string, QWidget*> panels_;
};

class InputPage : public FormatPage {
  public:
    InputPage(QWidget* parent, SettingBinder& binder);
};

class OutputPage : public FormatPage {
  public:
    OutputPage(QWidget* parent, SettingBinder& binder);
};

class TransformPage : public PreferencesPage {
  public:
    TransformPage(QWidget* parent, SettingBinder& binder);
};

class AdjustmentPage : public PreferencesPage {
  public:
    AdjustmentPage(QWidget* parent, SettingBinder& binder);
};

class FramePage : public PreferencesPage {
  public:
    FramePage(QWidget* parent, SettingBinder& binder);
};

class WatermarkPage : public PreferencesPage {
  public:
    WatermarkPage(QWidget* parent, SettingBinder& binder);
};

class AdvancedPage : public PreferencesPage {
  public:
    AdvancedPage(QWidget* parent, SettingBinder& binder);
};

// A scrollable area at place on a page; its widget() is the inner panel (named objectName) that
// holds the rows; the wheel and arrows move it 10 pixels a step. Place and inner size are in
// design pixels.
QScrollArea* AddScrollArea(QWidget* page, const QRect& place, const QSize& inner,
                           const QString& objectName);

} // namespace millconv::ui
