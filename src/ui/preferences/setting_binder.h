// Ties dialog controls to rows of the settings table on a working copy of the record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace millconv::ui {

// The dialog edits a copy; each binding knows how to fill its control from the copy and how to
// store the control back. Rules (enabling, visibility) run after every fill.
class SettingBinder {
  public:
    explicit SettingBinder(Settings& copy) : copy_(copy) {}

    Settings& Copy() { return copy_; }

    // The table row of group/key; a missing row is a programming error and stops the program.
    static const SettingDef& Def(std::string_view group, std::string_view key);

    // Typed access to one setting of the copy by its table row.
    int64_t Integer(std::string_view group, std::string_view key) const;
    void SetInteger(std::string_view group, std::string_view key, int64_t value);
    double Float(std::string_view group, std::string_view key) const;
    void SetFloat(std::string_view group, std::string_view key, double value);
    std::string& String(std::string_view group, std::string_view key);

    // Appends "," and the entry to a comma-separated list setting of both the copy and the
    // settings record: what a picker adds to its list stays even when the dialog is cancelled.
    void AppendAtOnce(std::string_view group, std::string_view key, const std::string& entry);

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
