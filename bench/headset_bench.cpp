// What headset mode costs on top of drawing: the same picture drawn once for a desktop
// window of one eye's size, against both eyes drawn and presented through the virtual
// headset (distortion pass over the whole 2160x1200 display, blit and swap). The scene here is
// a clear and the headset tests' green square, so the ratio is the upper bound of the overhead; the real scene adds
// the same drawing cost per eye and shares its propagation between the eyes.

#include "ovrlib/Headset.h"
#include "ovrlib/VirtualHeadsetRuntime.h"
#include "ovrlib/TestScene.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

struct Context {
    GLFWwindow* window = nullptr;
    explicit Context(int width, int height) {
        glfwSetErrorCallback([](int, const char* d) { std::fprintf(stderr, "%s\n", d); });
        if (!glfwInit()) throw std::runtime_error("no window system");
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        window = glfwCreateWindow(width, height, "bench", nullptr, nullptr);
        if (window == nullptr) throw std::runtime_error("no 4.3 context");
        glfwMakeContextCurrent(window);
        glfwSwapInterval(0);
    }
    // GLFW stays initialised: other benchmarks of the run keep windows of their own.
    ~Context() { glfwDestroyWindow(window); }
};

void DesktopFrameAtEyeSize(benchmark::State& state) {
    Context context(1080, 1200);
    const ovrlib::test::GreenSquare square;
    const glm::mat4 projection = ovrlib::projectionFromFov({1.3f, 1.3f, 1.2f, 0.95f}, 0.2f, 100.0f);
    const glm::mat4 view = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -3.0f));
    for (auto _ : state) {
        glViewport(0, 0, 1080, 1200);
        square.draw(projection, view, projection);
        glfwSwapBuffers(context.window);
        glFinish();
    }
}
BENCHMARK(DesktopFrameAtEyeSize)->Unit(benchmark::kMillisecond);

void VirtualHeadsetFrame(benchmark::State& state) {
    Context context(2160, 1200);
    ovrlib::HeadsetContext headsetContext(std::make_unique<ovrlib::VirtualHeadsetRuntime>(), nullptr);
    ovrlib::Headset headset(&headsetContext);
    {
        auto renderState = headset.makeRenderState(context.window);
        std::vector<ovrlib::Framebuffer> eyes;
        for (int eye = 0; eye < 2; ++eye) {
            eyes.emplace_back(renderState->eyeTextureSize[eye].width, renderState->eyeTextureSize[eye].height);
        }
        auto bound = renderState->bind(eyes[0].colorTexture(), eyes[1].colorTexture());
        const ovrlib::test::GreenSquare square;
        ovrlib::EyeCamera camera;
        camera.position = {0.0f, 0.0f, 3.0f};
        std::uint32_t frameIndex = 0;
        for (auto _ : state) {
            ovrlib::renderHeadsetFrame(*bound, headset, eyes, frameIndex++, camera,
                                       [&](const glm::mat4& p, const glm::mat4& v,
                                           const glm::mat4& sky) { square.draw(p, v, sky); });
            glFinish();
        }
    }
}
BENCHMARK(VirtualHeadsetFrame)->Unit(benchmark::kMillisecond);

}  // namespace

// The last steps of a virtual-headset frame on their own: copying the 2160x1200 display
// picture into the window and swapping it, for telling them apart from the distortion pass.
void VirtualDisplayBlitAndSwap(benchmark::State& state) {
    constexpr int kWidth = ovrlib::VirtualHeadsetRuntime::kDisplayWidth;
    constexpr int kHeight = ovrlib::VirtualHeadsetRuntime::kDisplayHeight;
    Context context(kWidth, kHeight);
    GLuint texture = 0, framebuffer = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const bool swap = state.range(0) != 0;
    for (auto _ : state) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, GL_COLOR_BUFFER_BIT,
                          GL_LINEAR);
        if (swap) glfwSwapBuffers(context.window);
        glFinish();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &texture);
}
BENCHMARK(VirtualDisplayBlitAndSwap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
