#pragma once
// An invisible window with an OpenGL 4.3 core context for tests that draw or build GL objects.

struct GLFWwindow;

namespace earth::test {

class GlTestContext {
public:
    // Fails the calling test (through an exception) when no 4.3 core context can be made.
    explicit GlTestContext(int width = 256, int height = 256);
    ~GlTestContext();
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;

    GLFWwindow* window() const { return window_; }

private:
    GLFWwindow* window_ = nullptr;
};

}  // namespace earth::test
