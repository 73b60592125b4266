// Test support: a temporary folder that removes itself.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace millconv::test {

// A fresh folder below the system temp folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "millconv-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern + "/" : std::string();
    }
    ~TempFolder() {
        if (path_.empty()) {
            return;
        }
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Path ending with '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace millconv::test
