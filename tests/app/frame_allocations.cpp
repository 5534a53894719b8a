// The frame cycle must not touch the heap once it runs steadily: this binary replaces the
// global operator new to count (and locate) every allocation made during a stretch of frames
// of the real scene, in free exploration with every class shown and an information panel up.

#include "app/Scene.h"
#include "support/GlTestContext.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>
#include <map>
#include <new>
#include <string>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
constexpr int kDepth = 10;
constexpr int kSamples = 64;
void* samples[kSamples][kDepth];
int sampleDepth[kSamples];
std::atomic<int> sampleCount{0};

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
        const int slot = sampleCount.fetch_add(1);
        if (slot < kSamples) {
            counting = false;  // backtrace itself must not be counted
            sampleDepth[slot] = backtrace(samples[slot], kDepth);
            counting = true;
        }
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

// The distinct call chains of the sampled allocations, innermost program frames first.
std::string describeSamples() {
    std::map<std::string, int> chains;
    const int n = std::min(sampleCount.load(), kSamples);
    for (int i = 0; i < n; ++i) {
        char** names = backtrace_symbols(samples[i], sampleDepth[i]);
        std::string chain;
        for (int f = 1; f < sampleDepth[i] && names != nullptr; ++f) {
            chain += "\n    ";
            chain += names[f];
        }
        std::free(names);
        ++chains[chain];
    }
    std::string text;
    for (const auto& [chain, count] : chains) {
        text += "\n  " + std::to_string(count) + " x" + chain;
    }
    return text;
}

long allocationsOver(earth::Scene& scene, std::uint32_t& frame, int frames) {
    sampleCount = 0;
    allocations = 0;
    counting = true;
    for (int i = 0; i < frames; ++i) scene.frame(frame++);
    counting = false;
    return allocations.load();
}

TEST(FrameAllocations, SteadyFramesAllocateNothing) {
    backtrace(samples[0], 1);  // loads the unwinder before anything is counted
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

    const long explore = allocationsOver(scene, frame, 60);
    EXPECT_EQ(explore, 0) << "allocations in 60 frames of free exploration:"
                          << describeSamples();

    // Holding the continue key selects the satellite nearest to the line of sight; releasing
    // it opens its panel, which is laid out every frame.
    scene.input().recordKey(GLFW_KEY_SPACE, 0, GLFW_PRESS, 0);
    for (int i = 0; i < 40; ++i) scene.frame(frame++);
    scene.input().recordKey(GLFW_KEY_SPACE, 0, GLFW_RELEASE, 0);
    for (int i = 0; i < 40; ++i) scene.frame(frame++);
    ASSERT_FALSE(scene.script().panels.empty()) << "no satellite picked from the start view";

    const long withPanel = allocationsOver(scene, frame, 60);
    EXPECT_EQ(withPanel, 0) << "allocations in 60 frames with an information panel:"
                            << describeSamples();

    // Enter flies to the selection and rides it, confirming its panel beside the view every
    // frame.
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
    const long ride = allocationsOver(scene, frame, 60);
    EXPECT_EQ(ride, 0) << "allocations in 60 frames riding a satellite:" << describeSamples();
}

}  // namespace
