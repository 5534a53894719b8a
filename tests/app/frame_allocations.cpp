// The frame cycle must not touch the heap once it runs steadily: this binary replaces the global
// operator new to count (and locate) the allocations of stretches of frames of the real scene.

#include "app/Scene.h"
#include "support/GlTestContext.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>
#include <new>
#include <string>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
void* firstChain[12];  // where the first counted allocation came from
int firstDepth = 0;

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed) && allocations.fetch_add(1) == 0) {
        counting = false;  // backtrace itself must not be counted
        firstDepth = backtrace(firstChain, 12);
        counting = true;
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// The call chain of the first allocation counted, innermost program frames first.
std::string describeFirst() {
    std::string text;
    char** names = backtrace_symbols(firstChain, firstDepth);
    for (int f = 1; f < firstDepth && names != nullptr; ++f) text += std::string("\n    ") + names[f];
    std::free(names);
    return text;
}

long allocationsOver(earth::Scene& scene, std::uint32_t& frame, int frames) {
    allocations = 0;
    counting = true;
    for (int i = 0; i < frames; ++i) scene.frame(frame++);
    counting = false;
    return allocations.load();
}

TEST(FrameAllocations, SteadyFramesAllocateNothing) {
    backtrace(firstChain, 1);  // loads the unwinder before anything is counted
    earth::test::GlTestContext gl(320, 240);
    earth::Scene scene(nullptr, gl.window(), 320.0f / 240.0f, true);
    std::uint32_t frame = 0;
    for (int i = 0; i < 5; ++i) scene.frame(frame++);

    // The continue key leaves the splash for free exploration; a few frames let the class
    // colours and visibility settle.
    scene.input().recordKey(GLFW_KEY_SPACE, 0, GLFW_PRESS, 0);
    scene.frame(frame++);
    scene.input().recordKey(GLFW_KEY_SPACE, 0, GLFW_RELEASE, 0);
    for (int i = 0; i < 20; ++i) scene.frame(frame++);
    ASSERT_EQ(scene.script().splash, 0);

    EXPECT_EQ(allocationsOver(scene, frame, 60), 0) << "in free exploration, first:" << describeFirst();

    // Holding the continue key selects the satellite nearest to the line of sight; releasing
    // it opens its panel, which is laid out every frame.
    scene.input().recordKey(GLFW_KEY_SPACE, 0, GLFW_PRESS, 0);
    for (int i = 0; i < 40; ++i) scene.frame(frame++);
    scene.input().recordKey(GLFW_KEY_SPACE, 0, GLFW_RELEASE, 0);
    for (int i = 0; i < 40; ++i) scene.frame(frame++);
    ASSERT_FALSE(scene.script().panels.empty()) << "no satellite picked from the start view";

    EXPECT_EQ(allocationsOver(scene, frame, 60), 0) << "with an information panel, first:" << describeFirst();

    // Enter flies to the selection and rides it, confirming its panel beside the view each frame.
    scene.input().recordKey(GLFW_KEY_ENTER, 0, GLFW_PRESS, 0);
    scene.frame(frame++);
    scene.input().recordKey(GLFW_KEY_ENTER, 0, GLFW_RELEASE, 0);
    auto riding = [&] {
        const auto& panels = scene.script().panels;
        return !panels.empty() && panels.begin()->second.nearView;
    };
    for (int i = 0; i < 2000 && !riding(); ++i) scene.frame(frame++);
    ASSERT_TRUE(riding()) << "the flight to the selection never arrived";
    scene.frame(frame++);
    EXPECT_EQ(allocationsOver(scene, frame, 60), 0) << "riding a satellite, first:" << describeFirst();
}

}  // namespace
