// What a run may write: name clashes between its inputs and links below the output folder.
#include "engine/output_guard.h"

#include "base/text.h"
#include "engine/output_claims.h"
#include "engine/report.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace millconv {

namespace {

// A folder descriptor that closes itself.
class FolderHandle {
  public:
    explicit FolderHandle(int fd) : fd_(fd) {}
    ~FolderHandle() { Reset(-1); }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    int Get() const { return fd_; }
    void Reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

  private:
    int fd_;
};

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

std::string OutputFolderProblem(const std::string& outputFolder, const std::string& outputPath,
                                bool create) {
    if (outputFolder.empty() || !outputPath.starts_with(outputFolder)) {
        return {};
    }
    const size_t lastSlash = outputPath.rfind('/');
    if (lastSlash == std::string::npos || lastSlash < outputFolder.size()) {
        return {}; // the file lies in the output folder itself
    }
    const std::string_view below =
        std::string_view(outputPath).substr(outputFolder.size(), lastSlash - outputFolder.size());
    FolderHandle folder(::open(outputFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0) {
        return {}; // the save reports a missing output folder
    }
    std::string reached = outputFolder;
    size_t start = 0;
    while (start <= below.size()) {
        const size_t slash = std::min(below.find('/', start), below.size());
        const std::string name(below.substr(start, slash - start));
        start = slash + 1;
        if (name.empty() || name == ".") {
            continue;
        }
        reached += name + '/';
        int next = ::openat(folder.Get(), name.c_str(), kFolderFlags);
        if (next < 0 && errno == ENOENT && create &&
            (::mkdirat(folder.Get(), name.c_str(), 0777) == 0 || errno == EEXIST)) {
            next = ::openat(folder.Get(), name.c_str(), kFolderFlags);
        }
        if (next < 0) {
            struct stat info {};
            if (::fstatat(folder.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode)) {
                return "the output folder " + QuotedName(reached) +
                       " is a symbolic link; nothing is written through it";
            }
            // Missing or unusable folders are left to the save, which fails on them.
            return {};
        }
        folder.Reset(next);
    }
    return {};
}

bool OutputMayBeWritten(const RunSnapshot& run, const FileContext& file) {
    const std::string& input = file.currentInput;
    std::string problem = OutputFolderProblem(run.outputFolder, file.outputPath, false);
    if (problem.empty() && run.claims) {
        const std::string first = run.claims->Claim(file.outputPath, input);
        if (!first.empty()) {
            problem = "its output name " + QuotedName(file.outputPath) + " is already that of " +
                      QuotedName(first) + "; not overwritten";
        }
    }
    if (problem.empty()) {
        return true;
    }
    Report(ReportKind::Problem, "millconv: " + QuotedName(input) + ": " + problem);
    return false;
}

} // namespace millconv
