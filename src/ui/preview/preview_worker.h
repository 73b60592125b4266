// The preview's own thread: renders the newest request off the window's thread.
#pragma once

#include "engine/preview_render.h"
#include "engine/run.h"

#include <QImage>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace millconv::ui {

// A picture and its halvings, largest first, so that showing it small never has to scale
// the whole of a large picture on the window's thread.
using PicturePyramid = std::vector<QImage>;

// What one request produced; the pictures are ready to paint.
struct PreviewOutcome {
    uint64_t serial = 0;
    PreviewRender render; // failure, problems and facts; its pixel buffers already released
    PicturePyramid before;
    PicturePyramid after;
};

// Premultiplied pictures (the fast format to paint) halved until the smaller side is below
// a few hundred pixels; empty for an empty picture.
PicturePyramid BuildPyramid(const RgbaPicture& picture);

class PreviewWorker : public QObject {
    Q_OBJECT

  public:
    explicit PreviewWorker(QObject* parent = nullptr);
    // Cancels what is running and waits for the thread: one step of a large picture at most.
    ~PreviewWorker() override;
    PreviewWorker(const PreviewWorker&) = delete;
    PreviewWorker& operator=(const PreviewWorker&) = delete;

    // Queues a render of file.currentInput with run; a request still waiting is dropped and
    // the one being rendered is cancelled. Returns the request's serial number.
    uint64_t Request(RunSnapshot run, FileContext file);

    // Drops the waiting request and cancels the one being rendered: nothing more is delivered
    // until the next request.
    void Cancel();

    // True from a request until its outcome (or a newer one's) has been delivered.
    bool Busy() const { return busy_; }

  signals:
    // On the window's thread; only the newest request's outcome is delivered.
    void Finished(std::shared_ptr<const PreviewOutcome> outcome);

  private:
    struct Job {
        uint64_t serial = 0;
        RunSnapshot run;
        FileContext file;
        std::shared_ptr<std::atomic<bool>> cancel;
    };

    void Loop();
    void Deliver(std::shared_ptr<const PreviewOutcome> outcome);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> pending_;
    std::shared_ptr<std::atomic<bool>> running_; // cancel flag of the render in progress
    bool stopping_ = false;
    uint64_t lastSerial_ = 0; // window's thread only
    bool busy_ = false;       // window's thread only
    std::thread thread_;
};

} // namespace millconv::ui
