#pragma once
// Loaders for the embedded data and image resources.

#include <boost/iostreams/device/array.hpp>
#include <boost/iostreams/stream.hpp>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace earth {

// Read-only stream over the bytes of a "DATA" resource; never owns or copies them.
class ResourceStream : public boost::iostreams::stream<boost::iostreams::array_source> {
public:
    explicit ResourceStream(std::string_view bytes)
        : boost::iostreams::stream<boost::iostreams::array_source>(bytes.data(), bytes.size()),
          bytes_(bytes) {}

    std::string_view bytes() const { return bytes_; }

private:
    std::string_view bytes_;
};

// Throws "Missing data resource <id>" when the identifier is not embedded.
ResourceStream openDataResource(std::uint16_t id);

// Decodes an "IMG" resource with the file's own channel count; null when the decoder rejects
// the bytes (release with std::free). Throws "Missing image resource" when not embedded.
unsigned char* loadImageResource(std::uint16_t id, int& width, int& height, int& channels);

// Decodes encoded image bytes held in memory; null when they are not a PNG or JPEG.
unsigned char* decodeImage(std::string_view bytes, int& width, int& height, int& channels);

struct FreeDeleter {
    void operator()(unsigned char* p) const noexcept { std::free(p); }
};

// A decoded image resource: 8 bits per channel, rows top to bottom. Throws "Load failure".
struct Image {
    explicit Image(std::uint16_t id);
    Image(std::string_view encodedBytes);  // for images that are not resources (tests, fonts)

    std::unique_ptr<unsigned char, FreeDeleter> pixels;
    int width = 0;
    int height = 0;
    int channels = 0;
};

}  // namespace earth
