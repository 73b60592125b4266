// A PNG decoded ahead on a helper thread.
#include "engine/png_prefetch.h"

#include "engine/png_reader.h"
#include "engine/side_thread.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace millconv {

namespace {

struct Prefetch {
    std::mutex mutex; // held by whoever starts, takes or drops
    SideThread thread;
    std::string path;
    Bitmap bitmap;                    // written by the thread, read after it is joined
    std::atomic<bool> decoded{false}; // set by the thread when the bitmap holds the file
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
    state.decoded = false;
    state.path = path;
    const auto decode = [&state, path] {
        state.bitmap = LoadPngQuietly(path);
        state.decoded.store(bool(state.bitmap), std::memory_order_release);
    };
    if (!state.thread.Start(decode)) {
        state.path.clear();
    }
}

bool PrefetchedPngReady() {
    Prefetch& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return !state.path.empty() && state.decoded.load(std::memory_order_acquire);
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
