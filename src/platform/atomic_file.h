// All-or-nothing file replacement: a temporary file beside the target, renamed over it once
// every write has succeeded and the data is on disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace millconv {

struct AtomicFileOptions {
    mode_t newFileMode = 0666;      // for a file that did not exist, under the umask
    bool replaceLinkTarget = false; // a symbolic link at the path: replace what it points to
    bool syncBeforeRename = true;   // the data reaches the disk before the rename
};

// Writes a file so that readers, and a crash, see either the old file or the whole new one.
// An existing file keeps its permissions. Nothing is left behind when the writer is dropped
// without a successful Commit. The target's folder must exist.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const std::string& path, AtomicFileOptions options = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when no temporary file could be made; every later call then fails.
    bool IsOpen() const { return stream_ != nullptr; }

    // The buffered stream of the temporary file, for writers that also seek and read back.
    // A failure the caller sees on it must be passed on with MarkFailed.
    FILE* Stream() { return stream_; }
    void MarkFailed(int error = 0) { Fail(error); }

    // The system's error number of the first step that failed (0 when none, or when the
    // failure was not the system's).
    int Error() const { return error_; }

    // Appends bytes; false (and the writer failed) when they could not all be written.
    bool Write(std::string_view bytes);

    // Flushes, checks, syncs (unless told not to) and renames the temporary file over the target. False when any
    // step failed; the target is then untouched and the temporary file removed.
    bool Commit();

  private:
    void Discard();
    void Fail(int error) {
        failed_ = true;
        if (error_ == 0) {
            error_ = error;
        }
    }

    std::string target_;
    std::string temporary_;
    bool sync_ = true;
    FILE* stream_ = nullptr;
    bool failed_ = false;
    int error_ = 0;
};

// Removes the temporary files ".millconv-<pid>-*.tmp" of this user in folder whose writing
// process no longer exists; the number removed. The number of names in the folder goes to
// listed when given. Writers call it once per folder and process when StaleSweepDue says so
// and the folder's sweep mark tells of no look through it in the last kSweepRestSeconds.
int RemoveStaleTemporaries(const std::string& folder, size_t* listed = nullptr);

// A folder of at least this many names gets a sweep mark; a smaller one is read in less time
// than the mark takes.
inline constexpr size_t kMarkedListing = 64;

// A folder listing of up to this many bytes (a few hundred names) is read by every writer.
inline constexpr uint64_t kAlwaysSweptListing = 16 * 1024;

// Whether the process pid reads a folder whose listing takes listingBytes (a directory's size)
// for leftovers: always for a small folder; for a larger one, one process in every
// listingBytes / kAlwaysSweptListing, by process id, so the runs of a script converting file
// after file into one large folder take turns. Reading ten thousand names for every file would
// cost more than converting it; a leftover is still found a few runs later.
bool StaleSweepDue(uint64_t listingBytes, pid_t pid);

} // namespace millconv
