// File-system services: program folder, sizes, folders and modification times.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace millconv {

// Folder of the running executable, ending with '/'.
std::string ProgramFolder();

// The current working folder, ending with '/'; empty when it cannot be named (removed).
std::string CurrentFolder();

// A folder as every Linux tool reads it: one not starting with '/' lies below the current
// folder (leading "./" dropped, "." is the current folder itself). The result ends with '/'.
// Refusing ".." is the caller's business.
std::string AbsoluteFolder(std::string_view folder);

// Size of a file in bytes; -1 when it does not exist, -2 when it is a folder.
int64_t FileSize(const std::string& path);

bool FolderExists(const std::string& path);

// The system's reason why path cannot be looked at ("No such file or directory"); empty when
// it can.
std::string FileProblem(const std::string& path);

// Creates one folder level (not its parents); true when it exists afterwards.
bool CreateFolder(const std::string& path);

// True when both paths name one existing file (the same device and inode, so links and
// different spellings of a path count).
bool SameFile(const std::string& first, const std::string& second);

// Modification time of a file as a date value (local wall-clock seconds since 1970).
std::optional<int64_t> FileDate(const std::string& path);

// Sets a file's modification time from a date value read as local time.
bool SetFileDate(const std::string& path, int64_t dateValue);

// The current local time as a date value.
int64_t DateValueNow();

// Conversions between date values (local wall-clock seconds) and UTC epoch seconds.
int64_t DateValueFromEpoch(int64_t epochSeconds);
int64_t EpochFromDateValue(int64_t dateValue);

// Folder part of a path including the trailing '/', empty when the path has none.
std::string FolderOf(std::string_view path);

} // namespace millconv
