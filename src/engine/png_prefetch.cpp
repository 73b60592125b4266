// A PNG decoded ahead on a helper thread.
#include "engine/png_prefetch.h"

#include "engine/png_reader.h"
#include "engine/side_thread.h"

#include <filesystem>
#include <mutex>
#include <system_error>

namespace millconv {

namespace {

struct Prefetch {
    std::mutex mutex; // held by whoever starts, takes or drops
    SideThread thread;
    std::string path;
    Bitmap bitmap; // written by the thread, read after it is joined
};

Prefetch& State() {
    static Prefetch state;
    return state;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

} // namespace

void PrefetchPng(const std::string& path) {
    Prefetch& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.thread.Join();
    state.bitmap.reset();
    state.path = path;
    if (!state.thread.Start([&state, path] { state.bitmap = LoadPngQuietly(path); })) {
        state.path.clear();
    }
}

Bitmap TakePrefetchedPng(const std::string& path) {
    Prefetch& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.path.empty() || !SameFile(state.path, path)) {
        return {};
    }
    state.thread.Join();
    state.path.clear();
    return std::move(state.bitmap);
}

void DropPrefetchedPng() {
    Prefetch& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.thread.Join();
    state.path.clear();
    state.bitmap.reset();
}

} // namespace millconv
