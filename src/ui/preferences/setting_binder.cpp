// Ties dialog controls to rows of the settings table on a working copy of the record.
#include "ui/preferences/setting_binder.h"

#include <QtGlobal>

#include <string>
#include <utility>

namespace millconv::ui {

namespace {

SettingField FieldOf(Settings& settings, std::string_view group, std::string_view key) {
    return SettingBinder::Def(group, key).field(settings);
}

} // namespace

const SettingDef& SettingBinder::Def(std::string_view group, std::string_view key) {
    const SettingDef* def = FindSetting(group, key);
    if (def == nullptr) {
        qFatal("No setting [%s] %s", std::string(group).c_str(), std::string(key).c_str());
    }
    return *def;
}

int64_t SettingBinder::Integer(std::string_view group, std::string_view key) const {
    return IntegerValue(FieldOf(copy_, group, key));
}

void SettingBinder::SetInteger(std::string_view group, std::string_view key, int64_t value) {
    AssignInteger(FieldOf(copy_, group, key), value);
}

double SettingBinder::Float(std::string_view group, std::string_view key) const {
    const SettingField field = FieldOf(copy_, group, key);
    if (auto* pf = std::get_if<float*>(&field)) {
        return **pf;
    }
    return static_cast<double>(Integer(group, key));
}

void SettingBinder::SetFloat(std::string_view group, std::string_view key, double value) {
    const SettingField field = FieldOf(copy_, group, key);
    if (auto* pf = std::get_if<float*>(&field)) {
        **pf = static_cast<float>(value);
    }
}

std::string& SettingBinder::String(std::string_view group, std::string_view key) {
    const SettingField field = FieldOf(copy_, group, key);
    auto* ps = std::get_if<std::string*>(&field);
    if (ps == nullptr) {
        qFatal("Setting [%s] %s is not a text", std::string(group).c_str(),
               std::string(key).c_str());
    }
    return **ps;
}

void SettingBinder::AppendAtOnce(std::string_view group, std::string_view key,
                                 const std::string& entry) {
    for (Settings* settings : {&copy_, &gSettings}) {
        const SettingField field = FieldOf(*settings, group, key);
        if (auto* ps = std::get_if<std::string*>(&field)) {
            std::string& list = **ps;
            list += list.empty() ? entry : "," + entry;
        }
    }
}

void SettingBinder::Bind(std::function<void()> fill, std::function<void()> store) {
    bindings_.push_back({std::move(fill), std::move(store)});
}

void SettingBinder::AddRule(std::function<void()> rule) { rules_.push_back(std::move(rule)); }

void SettingBinder::Fill() {
    for (const Binding& binding : bindings_) {
        binding.fill();
    }
    for (const auto& rule : rules_) {
        rule();
    }
}

void SettingBinder::Store() {
    for (const Binding& binding : bindings_) {
        binding.store();
    }
}

} // namespace millconv::ui
