// Ties dialog controls to rows of the settings table on a working copy of the record.
#include "ui/preferences/setting_binder.h"

#include <QtGlobal>

#include <string>
#include <utility>

namespace millconv::ui {

int64_t SettingBinder::Integer(SettingKey setting) const {
    return IntegerValue(setting->field(copy_));
}

void SettingBinder::SetInteger(SettingKey setting, int64_t value) {
    AssignInteger(setting->field(copy_), value);
}

double SettingBinder::Float(SettingKey setting) const {
    const SettingField field = setting->field(copy_);
    if (auto* pf = std::get_if<float*>(&field)) {
        return **pf;
    }
    return static_cast<double>(Integer(setting));
}

void SettingBinder::SetFloat(SettingKey setting, double value) {
    const SettingField field = setting->field(copy_);
    if (auto* pf = std::get_if<float*>(&field)) {
        **pf = static_cast<float>(value);
    }
}

std::string& SettingBinder::String(SettingKey setting) {
    const SettingField field = setting->field(copy_);
    auto* ps = std::get_if<std::string*>(&field);
    if (ps == nullptr) {
        qFatal("Setting [%s] %s is not a text", std::string(setting->group).c_str(),
               std::string(setting->key).c_str());
    }
    return **ps;
}

void SettingBinder::AppendAtOnce(SettingKey setting, const std::string& entry) {
    for (Settings* settings : {&copy_, &gSettings}) {
        const SettingField field = setting->field(*settings);
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
