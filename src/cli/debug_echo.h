// The debug echo of a console run: the settings it shows, in which words, and the value checks
// that run between its lines.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/option_table.h"

namespace millconv {

struct SettingDef;

// A value check of the run: the setting passes when accept() says so.
struct Check {
    bool (*accept)() = nullptr;
    std::string_view error; // the whole line printed on failure
};

// One line of the debug echo: a label and the setting it shows, as a number, a keyword of
// a table, a decimal with two places or a text. A second setting may follow after a
// separator ("Width: 800 PIXELS"). A row may carry a check that runs after the line, in
// every run; a row without a label is only a check.
struct EchoRow {
    std::string_view label;
    const SettingDef* setting = nullptr;
    KeywordTable table = KeywordTable::None;
    const SettingDef* setting2 = nullptr;
    KeywordTable table2 = KeywordTable::None;
    std::string_view separator = {};
    Check check = {};
    bool onlyWhenSet = false; // shown only while the setting is not 0
};

// A run of rows shown only while a setting holds a value (nonZero: any value but 0); a block
// without a setting always applies.
struct EchoBlock {
    const SettingDef* setting;
    int value;
    bool nonZero;
    std::span<const EchoRow> rows;
};

// The rows shown for an input format; empty for a format without input settings.
std::span<const EchoRow> InputEchoRows(std::string_view inputFormat);

// The rows after the "XXX BPP: " line of an output format; the label-less rows are the
// format's checks, which run after the depth check.
std::span<const EchoRow> OutputEchoRows(std::string_view conversion);

// Transformations, watermark and naming, in the order of the run.
std::span<const EchoBlock> TransformEchoBlocks();

bool BlockApplies(const EchoBlock& block);

// The label and the value text of a row; compression words are those of the conversion.
// Empty for a row shown only when set whose setting is 0.
std::string EchoLine(const EchoRow& row, std::string_view conversion);

} // namespace millconv
