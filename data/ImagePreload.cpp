#include "data/ImagePreload.h"

#include "data/Resources.h"

#include <cstdlib>

namespace earth {

namespace {
std::mutex activeMutex;
ImagePreload* active = nullptr;
}  // namespace

ImagePreload::ImagePreload(std::vector<std::uint16_t> ids, unsigned workers) {
    entries_.reserve(ids.size());
    for (std::uint16_t id : ids) entries_.push_back(Entry{id, State::Queued, {}});
    {
        const std::lock_guard<std::mutex> lock(activeMutex);
        previous_ = active;
        active = this;
    }
    for (unsigned i = 0; i < workers && i < entries_.size(); ++i) {
        workers_.emplace_back([this] { work(); });
    }
}

ImagePreload::~ImagePreload() {
    {
        const std::lock_guard<std::mutex> lock(activeMutex);
        if (active == this) active = previous_;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    for (std::thread& worker : workers_) worker.join();
    for (Entry& entry : entries_) {
        if (entry.state == State::Done) std::free(entry.result.pixels);
    }
}

void ImagePreload::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Entry* next = nullptr;
        for (Entry& entry : entries_) {
            if (entry.state == State::Queued) {
                next = &entry;
                break;
            }
        }
        if (next == nullptr || stopping_) return;
        next->state = State::Decoding;
        const std::uint16_t id = next->id;
        lock.unlock();
        Decoded result;
        try {
            result.pixels = loadImageResource(id, result.width, result.height, result.channels);
        } catch (...) {
            result.error = std::current_exception();
        }
        lock.lock();
        next->result = result;  // entries_ never reallocates after construction
        next->state = State::Done;
        decoded_.notify_all();
    }
}

std::optional<ImagePreload::Decoded> ImagePreload::claim(std::uint16_t id) {
    std::unique_lock<std::mutex> lock(mutex_);
    Entry* found = nullptr;
    for (Entry& entry : entries_) {
        if (entry.id == id && entry.state != State::Taken) {
            found = &entry;
            break;
        }
    }
    if (found == nullptr) return std::nullopt;
    if (found->state == State::Queued) {
        // No worker has started it: decoding it here is as quick as waiting.
        found->state = State::Taken;
        return std::nullopt;
    }
    decoded_.wait(lock, [found] { return found->state == State::Done; });
    found->state = State::Taken;
    return found->result;
}

std::optional<ImagePreload::Decoded> ImagePreload::take(std::uint16_t id) {
    // The preload in effect stays alive while it is asked: it is destroyed on the thread that
    // made it, which is the thread that builds the renderers.
    ImagePreload* preload = nullptr;
    {
        const std::lock_guard<std::mutex> lock(activeMutex);
        preload = active;
    }
    return preload != nullptr ? preload->claim(id) : std::nullopt;
}

}  // namespace earth
