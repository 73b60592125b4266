// Ties dialog controls to rows of the settings table on a working copy of the record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_table.h"

namespace millconv::ui {

// A control's setting: its row of the settings table, named with SettingRef so that a misspelt
// group or key stops the build.
using SettingKey = const SettingDef*;

// The dialog edits a copy; each binding knows how to fill its control from the copy and how to
// store the control back. Rules (enabling, visibility) run after every fill.
class SettingBinder {
  public:
    explicit SettingBinder(Settings& copy) : copy_(copy) {}

    Settings& Copy() { return copy_; }

    // Typed access to one setting of the copy by its table row.
    int64_t Integer(SettingKey setting) const;
    void SetInteger(SettingKey setting, int64_t value);
    double Float(SettingKey setting) const;
    void SetFloat(SettingKey setting, double value);
    // A text setting; a setting of another type is a programming error and stops the program.
    std::string& String(SettingKey setting);

    // Appends "," and the entry to a comma-separated list setting of both the copy and the
    // settings record: what a picker adds to its list stays even when the dialog is cancelled.
    void AppendAtOnce(SettingKey setting, const std::string& entry);

    void Bind(std::function<void()> fill, std::function<void()> store);
    void AddRule(std::function<void()> rule);

    void Fill();
    void Store();

  private:
    struct Binding {
        std::function<void()> fill;
        std::function<void()> store;
    };
    Settings& copy_;
    std::vector<Binding> bindings_;
    std::vector<std::function<void()>> rules_;
};

} // namespace millconv::ui
