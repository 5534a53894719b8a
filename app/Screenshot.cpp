#include "app/Screenshot.h"

#include <epoxy/gl.h>
#include <stb_image_write.h>

#include <cstdio>
#include <vector>

namespace earth {

std::string screenshotName(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char name[64];
    std::strftime(name, sizeof name, "orbitarium-%Y%m%d-%H%M%S.png", &local);
    return name;
}

void writeScreenshot(int width, int height, const std::string& path) {
    if (width <= 0 || height <= 0) return;
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> pixels(stride * static_cast<std::size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // GL's rows run bottom up; the file's top down.
    stbi_flip_vertically_on_write(1);
    const int ok = stbi_write_png(path.c_str(), width, height, 3, pixels.data(),
                                  static_cast<int>(stride));
    stbi_flip_vertically_on_write(0);
    if (ok != 0) {
        std::printf("Screenshot written to %s\n", path.c_str());
    } else {
        std::printf("Screenshot could not be written to %s\n", path.c_str());
    }
    std::fflush(stdout);
}

}  // namespace earth
