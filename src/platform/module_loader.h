// Finds and loads the optional modules (drawing, window) on first use.
#pragma once

#include <string>

namespace millconv {

// Path of a module file ("millconv-draw.so"): beside the executable, else in the installed
// module folder next to it (ProgramDataFolders); empty when neither holds it.
std::string FindModule(const std::string& fileName);

// How a module's own undefined symbols are bound: all at load time, or on first call (cheaper
// for a module that brings large libraries of which a run uses little).
enum class SymbolBinding { Now, Lazy };

// Loads a module found by FindModule once and returns its handle, or nullptr with a one-line
// reason in error. Handles stay loaded for the life of the process.
void* LoadModule(const std::string& fileName, std::string& error,
                 SymbolBinding binding = SymbolBinding::Now);

// Loads a module from an explicit path; the same error lines as LoadModule.
void* LoadModuleFrom(const std::string& path, std::string& error,
                     SymbolBinding binding = SymbolBinding::Now);

// Looks up a symbol in a loaded module; nullptr when it is missing.
void* ModuleSymbol(void* module, const char* name);

// The one-line reason given when a module lacks an entry point.
std::string MissingEntryMessage(const std::string& fileName, const char* symbol);

// Loads a module (LoadModule) and looks up one entry point in it; nullptr with a one-line
// reason in error when either fails.
void* LoadModuleEntry(const std::string& fileName, const char* symbol, std::string& error);

} // namespace millconv
