// Folder watching over inotify: whole trees, new subfolders included.
#pragma once

#include <map>
#include <string>
#include <vector>

struct inotify_event;

namespace millconv {

struct FolderEvent {
    enum class Kind {
        FileWritten, // a file was closed after writing: path names it
        FileMovedIn, // a file was moved into a watched folder, keeping its times
        FolderAdded, // a folder was made or moved in below a watched one
        FolderGone,  // a watched folder was moved away: its watches are gone
        Overflow,    // the kernel dropped events: what happened is unknown
    };
    Kind kind = Kind::FileWritten;
    std::string path;
};

// Owns one inotify instance and its watches; each watch remembers the folder it stands for.
class FolderWatch {
  public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool Valid() const { return fd_ >= 0; }

    // Watches a folder and every folder below it (symbolic links are not followed), or one
    // file for closes after writing. False when the path itself cannot be watched; each
    // folder below it that cannot be watched adds a line naming it and the reason to problems.
    bool AddTree(const std::string& path, std::vector<std::string>& problems);

    // Waits until events are ready, wakeDescriptor (when not -1) becomes readable or
    // timeoutMs passes (-1: no limit) and returns the events read (none after a wake or the
    // limit). Events on the same path keep their order.
    std::vector<FolderEvent> Wait(int wakeDescriptor, int timeoutMs = -1);

    size_t WatchCount() const { return folders_.size(); }

  private:
    bool AddOne(const std::string& path, bool folder, std::string& problem);
    void ForgetBelow(const std::string& folder);
    void Translate(const ::inotify_event& event, std::vector<FolderEvent>& events);

    int fd_ = -1;
    std::map<int, std::string> folders_; // watch descriptor -> folder ending with '/', or file
};

// True when some process has the file open for writing; false when it has not or this cannot
// be told (the file is not ours, or the file system keeps no leases).
bool OpenForWriting(const std::string& path);

} // namespace millconv
