// Loads the optional modules from beside the executable or from the installed module folder.
#include "platform/module_loader.h"

#include "platform/files.h"
#include "platform/program_folders.h"

#include <dlfcn.h>
#include <map>
#include <mutex>

namespace millconv {

std::string FindModule(const std::string& fileName) {
    return FindProgramData(ProgramData::Modules, fileName, ProgramFolder());
}

void* LoadModuleFrom(const std::string& path, std::string& error, SymbolBinding binding) {
    const int flags = (binding == SymbolBinding::Lazy ? RTLD_LAZY : RTLD_NOW) | RTLD_LOCAL;
    void* handle = dlopen(path.c_str(), flags);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "millconv: cannot load module " + path + ": " + (reason ? reason : "unknown error");
    }
    return handle;
}

void* LoadModule(const std::string& fileName, std::string& error, SymbolBinding binding) {
    static std::mutex mutex;
    static std::map<std::string, void*> loaded;
    std::lock_guard<std::mutex> lock(mutex);
    if (auto found = loaded.find(fileName); found != loaded.end()) {
        return found->second;
    }
    std::string path = FindModule(fileName);
    if (path.empty()) {
        error = "millconv: module " + fileName + " not found beside the program or in " +
                InstalledDataFolder(ProgramData::Modules, ProgramFolder());
        return nullptr;
    }
    void* handle = LoadModuleFrom(path, error, binding);
    if (handle != nullptr) {
        loaded.emplace(fileName, handle);
    }
    return handle;
}

void* ModuleSymbol(void* module, const char* name) {
    return module == nullptr ? nullptr : dlsym(module, name);
}

std::string MissingEntryMessage(const std::string& fileName, const char* symbol) {
    std::string message = "millconv: module ";
    message += fileName;
    message += " has no entry ";
    message += symbol;
    return message;
}

void* LoadModuleEntry(const std::string& fileName, const char* symbol, std::string& error) {
    void* entry = ModuleSymbol(LoadModule(fileName, error), symbol);
    if (entry == nullptr && error.empty()) {
        error = MissingEntryMessage(fileName, symbol);
    }
    return entry;
}

} // namespace millconv
