#include "data/Resources.h"

#include "data/ImagePreload.h"
#include "data/ResourceRegistry.h"

#include <stb_image.h>

#include <limits>
#include <stdexcept>
#include <string>

namespace earth {

ResourceStream openDataResource(std::uint16_t id) {
    const auto bytes = findResource("DATA", std::to_string(id));
    if (!bytes) {
        throw std::runtime_error("Missing data resource " + std::to_string(id));
    }
    return ResourceStream(*bytes);
}

unsigned char* decodeImage(std::string_view bytes, int& width, int& height, int& channels) {
    width = height = channels = 0;
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return nullptr;
    }
    return stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                 static_cast<int>(bytes.size()), &width, &height, &channels, 0);
}

unsigned char* loadImageResource(std::uint16_t id, int& width, int& height, int& channels) {
    const auto bytes = findResource("IMG", std::to_string(id));
    if (!bytes) {
        throw std::runtime_error("Missing image resource");
    }
    return decodeImage(*bytes, width, height, channels);
}

namespace {
std::unique_ptr<unsigned char, FreeDeleter> checked(unsigned char* pixels) {
    if (pixels == nullptr) {
        throw std::runtime_error("Load failure");
    }
    return std::unique_ptr<unsigned char, FreeDeleter>(pixels);
}
}  // namespace

Image::Image(std::uint16_t id) {
    if (auto decoded = ImagePreload::take(id)) {
        if (decoded->error) std::rethrow_exception(decoded->error);
        width = decoded->width;
        height = decoded->height;
        channels = decoded->channels;
        pixels = checked(decoded->pixels);
        return;
    }
    pixels = checked(loadImageResource(id, width, height, channels));
}

Image::Image(std::string_view encodedBytes) {
    pixels = checked(decodeImage(encodedBytes, width, height, channels));
}

}  // namespace earth
