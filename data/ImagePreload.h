#pragma once
// Decodes image resources on worker threads while the main thread creates the window and
// builds the GL objects; Image(id) then takes the pixels decoded ahead instead of decoding
// them itself. The GL uploads stay on the main thread.

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace earth {

class ImagePreload {
public:
    // Starts decoding `ids`, in this order (put first what is needed first), on `workers`
    // threads. One preload is in effect at a time: the latest constructed, until it is gone.
    explicit ImagePreload(std::vector<std::uint16_t> ids, unsigned workers = 2);
    // Stops the workers after their current image; pixels nobody took are freed.
    ~ImagePreload();
    ImagePreload(const ImagePreload&) = delete;
    ImagePreload& operator=(const ImagePreload&) = delete;

    // What a worker made of one image: pixels (null when the decoder rejected the bytes) or
    // the error that decoding raised.
    struct Decoded {
        unsigned char* pixels = nullptr;  // released with std::free by the taker
        int width = 0;
        int height = 0;
        int channels = 0;
        std::exception_ptr error;
    };

    // For Image(id): the decode of `id` from the preload in effect, waiting for a worker that
    // is on it; empty when no preload holds `id` untaken or no worker has started it (the
    // caller then decodes it itself, and the workers skip it).
    static std::optional<Decoded> take(std::uint16_t id);

private:
    enum class State { Queued, Decoding, Done, Taken };
    struct Entry {
        std::uint16_t id;
        State state = State::Queued;
        Decoded result;
    };

    void work();
    std::optional<Decoded> claim(std::uint16_t id);

    std::mutex mutex_;
    std::condition_variable decoded_;
    std::vector<Entry> entries_;
    bool stopping_ = false;
    ImagePreload* previous_ = nullptr;
    std::vector<std::thread> workers_;
};

}  // namespace earth
