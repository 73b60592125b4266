// The preview's own thread: renders the newest request off the window's thread.
#include "ui/preview/preview_worker.h"

#include <QMetaObject>

#include "platform/thread_priority.h"

#include <algorithm>
#include <utility>

namespace millconv::ui {

namespace {

// Below this smaller side a picture is small enough to scale while painting.
constexpr int kSmallestLevelSide = 256;

} // namespace

PicturePyramid BuildPyramid(const RgbaPicture& picture) {
    PicturePyramid levels;
    if (picture.width <= 0 || picture.height <= 0 || picture.pixels.empty()) {
        return levels;
    }
    const QImage view(picture.pixels.data(), picture.width, picture.height, picture.width * 4,
                      QImage::Format_RGBA8888);
    levels.push_back(view.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    while (std::min(levels.back().width(), levels.back().height()) / 2 >= kSmallestLevelSide) {
        const QImage& last = levels.back();
        levels.push_back(last.scaled(last.width() / 2, last.height() / 2, Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation));
    }
    return levels;
}

PreviewWorker::PreviewWorker(QObject* parent) : QObject(parent) {
    thread_ = std::thread([this] { Loop(); });
}

PreviewWorker::~PreviewWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
        if (running_) {
            running_->store(true);
        }
    }
    wake_.notify_all();
    thread_.join();
}

uint64_t PreviewWorker::Request(RunSnapshot run, FileContext file) {
    const uint64_t serial = ++lastSerial_;
    busy_ = true;
    {
        std::lock_guard lock(mutex_);
        pending_ = Job{serial, std::move(run), std::move(file),
                       std::make_shared<std::atomic<bool>>(false)};
        if (running_) {
            running_->store(true);
        }
    }
    wake_.notify_all();
    return serial;
}

void PreviewWorker::Cancel() {
    ++lastSerial_; // an outcome already on its way no longer matches
    busy_ = false;
    std::lock_guard lock(mutex_);
    pending_.reset();
    if (running_) {
        running_->store(true);
    }
}

void PreviewWorker::Loop() {
    LowerCurrentThreadPriority();
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
            if (stopping_) {
                return;
            }
            job = std::move(*pending_);
            pending_.reset();
            running_ = job.cancel;
        }
        auto outcome = std::make_shared<PreviewOutcome>();
        outcome->serial = job.serial;
        outcome->render = RenderPreview(job.run, job.file, *job.cancel);
        if (outcome->render.failure != PreviewFailure::Cancelled) {
            outcome->before = BuildPyramid(outcome->render.before);
            outcome->after = BuildPyramid(outcome->render.after);
        }
        outcome->render.before = {};
        outcome->render.after = {};
        {
            std::lock_guard lock(mutex_);
            running_.reset();
            if (job.cancel->load()) {
                continue; // a newer request is waiting or the window is going
            }
        }
        // Queued to the window's thread; dropped with this object if it goes first.
        QMetaObject::invokeMethod(
            this,
            [this, outcome = std::shared_ptr<const PreviewOutcome>(std::move(outcome))] {
                Deliver(outcome);
            },
            Qt::QueuedConnection);
    }
}

void PreviewWorker::Deliver(std::shared_ptr<const PreviewOutcome> outcome) {
    if (outcome->serial != lastSerial_) {
        return; // a newer request is on its way
    }
    busy_ = false;
    emit Finished(std::move(outcome));
}

} // namespace millconv::ui
