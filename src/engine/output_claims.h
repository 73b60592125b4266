// The output names a run has taken, so that two of its inputs never write one file.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

namespace millconv {

// Shared by the workers of one run. Names compare as the file system compares them: byte for
// byte, so "a.png" and "a.PNG" that both become "a.tga" clash.
class OutputClaims {
  public:
    // Takes outputPath for input. Empty when it was free (or already input's own); otherwise
    // the input that took it first, and the name stays with that one.
    std::string Claim(const std::string& outputPath, const std::string& input);

  private:
    std::mutex mutex_;
    std::unordered_map<std::string, std::string> owners_;
};

} // namespace millconv
