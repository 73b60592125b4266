// Finds and loads the optional modules (drawing, window) on first use.
#pragma once

#include <string>

namespace millconv {

// Path of a module file ("millconv-draw.so"): beside the executable, else in the install
// prefix; empty when neither exists.
std::string FindModule(const std::string& fileName);

// Loads a module once and returns its handle, or nullptr with the reason in error.
// Handles stay loaded for the life of the process.
void* LoadModule(const std::string& fileName, std::string& error);

// Looks up a symbol in a loaded module; nullptr when it is missing.
void* ModuleSymbol(void* module, const char* name);

} // namespace millconv
